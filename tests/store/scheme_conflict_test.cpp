// Two programs editing one scheme: a table another program saved since the records read it is
// never overwritten unasked, each answer does what it says, and what does not collide is saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "store/catalogue.h"
#include "store/messages.h"
#include "store/scheme.h"
#include "store/sql_dialect.h"
#include "test_support.h"

namespace hdmjm::test {
namespace {

// 主线 and A with left side ditches, 主线's of two rows; every other table is made by the first
// save, with the defaults (右侧沟: one row of width 0.4).
void MakeScheme(const std::string& path) {
  RunSql(path,
         {kChainBreakTableSql, ChainBreakRowSql("主线", 0, 900), ChainBreakRowSql("A", 1000, 1900),
          "create table 左侧沟 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 double, "
          "水沟底宽 double, 沟深 double, 左侧边坡 double, 右侧边坡 double, 浆砌厚度 double, "
          "沟底半径 double)",
          "insert into 左侧沟 (道路名, 水沟底宽) values ('主线', 0.3), ('主线', 0.4), "
          "('A', 0.5)",
          // Slope rows of several level counts, each last level reaching to the top.
          MapDialect(FindTable("路堤边坡")->CreateStatement(kLeft)),
          "insert into 左路堤边坡 (道路名, 分段终里程, 边坡总级数, \"1级边坡系数\", "
          "\"1级最大高度\", \"2级边坡系数\", \"2级最大高度\", \"3级最大高度\") values "
          "('主线', 400, 3, 1.5, 8, 1.75, 10, 100), ('主线', 900, 1, 1.5, 100, null, null, "
          "null), ('A', 1900, 2, 1, 6, 1.5, 100, null)"});
}

// The side ditch widths: left, then right, each 主线's rows before A's.
std::string Widths(const std::string& path) {
  const std::string each = "(select group_concat(水沟底宽, ' ') from (select 水沟底宽 from ";
  return QuerySql(path, "select " + each + "左侧沟 order by 道路名 desc, 序号)) || ' / ' || " +
                            each + "右侧沟 order by 道路名 desc, 序号))")[0][0];
}

// A side ditch width of road 0 or 1 set (road, side, row, width); past the last row a row is
// added, a negative width removes the row.
using Edit = std::tuple<int, Side, size_t, double>;

// One program with the scheme open.
struct Unit {
  explicit Unit(const std::string& path) : records((scheme.Open(path), scheme.TakeRecords())) {}
  void Apply(const std::vector<Edit>& edits) {
    for (const auto& [road, side, row, width] : edits) {
      auto& rows = records.at(road)->sideDitches[side];
      if (width < 0) rows.erase(rows.begin() + static_cast<long>(row));
      if (width >= 0 && row == rows.size()) rows.push_back({});
      if (width >= 0) rows.at(row).bottomWidth = width;
    }
  }
  Recorders recorders;
  SchemeStore scheme{recorders.services()};
  RoadRecordList records;
};

std::string Described(const std::vector<TableConflict>& conflicts) {
  std::string text;
  for (const TableConflict& c : conflicts)
    text += c.road + c.table + ChangeWords(c) + (c.replaced ? "!" : "") + ";";
  return text;
}

enum Answer { kTheirs, kMine, kLater };

TEST(SchemeConflictTest, ASecondSaveOfATableSavedMeanwhileAsksAndEachAnswerDoesWhatItSays) {
  const struct {
    std::vector<Edit> other, mine;
    Answer answer;
    std::string conflicts;
    std::string after;  // the file once the answer is applied and saved
  } cases[] = {
      // clang-format off
      {{{0, kLeft, 0, 0.31}}, {{0, kLeft, 1, 0.41}, {0, kRight, 0, 0.61}}, kTheirs,
       "主线左侧沟修改了1行;", "0.31 0.4 0.5 / 0.61 0.4"},
      {{{0, kLeft, 2, 0.33}}, {{0, kLeft, 1, 0.41}}, kMine, "主线左侧沟增加了1行;",
       "0.3 0.41 0.5 / 0.4 0.4"},
      {{{0, kLeft, 0, -1}}, {{0, kLeft, 1, 0.41}}, kLater, "主线左侧沟删除了1行;",
       "0.4 0.5 / 0.4 0.4"},
      {{{0, kRight, 0, 0.62}}, {{0, kRight, 0, 0.63}}, kTheirs, "主线右侧沟修改了1行;",
       "0.3 0.4 0.5 / 0.62 0.4"},
      // Different tables, different roads, the same edit: nothing to ask.
      {{{0, kRight, 0, 0.62}}, {{0, kLeft, 1, 0.41}}, kLater, "", "0.3 0.41 0.5 / 0.62 0.4"},
      {{{1, kLeft, 0, 0.51}}, {{0, kLeft, 0, 0.32}}, kLater, "", "0.32 0.4 0.51 / 0.4 0.4"},
      {{{0, kLeft, 1, 0.45}}, {{0, kLeft, 1, 0.45}}, kLater, "", "0.3 0.45 0.5 / 0.4 0.4"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after);
    ScratchDir dir;
    const std::string path = dir.File("scheme.mdb");
    MakeScheme(path);
    Unit other(path), mine(path);
    other.Apply(c.other);
    ASSERT_TRUE(other.scheme.SaveQuietly(other.records).AllSaved());
    const std::string theirs = Widths(path);
    mine.Apply(c.mine);
    const RoadSectionStore edited = *mine.records[0];

    // Nothing of a conflicting table is written, the rest is, and the summary says so.
    const SaveReport report = mine.scheme.Save(mine.records);
    EXPECT_EQ(Described(report.conflicts), c.conflicts);
    EXPECT_EQ(Widths(path), c.answer == kMine ? theirs : c.after);
    EXPECT_EQ(mine.recorders.messages.texts.back(),
              c.conflicts.empty() ? messages::Saved(path) : messages::TablesLeft(path));
    RoadSectionStore& record = *mine.records[0];
    if (c.answer == kMine) SchemeStore::KeepMine(record, report.conflicts.at(0));
    EXPECT_TRUE(c.answer != kTheirs || mine.scheme.KeepTheirs(record, report.conflicts.at(0)));
    EXPECT_EQ(Described(mine.scheme.SaveQuietly(mine.records).conflicts),
              c.answer == kLater ? c.conflicts : "");
    EXPECT_EQ(Widths(path), c.after);
    // Keeping theirs drops the record's edit of that table alone.
    EXPECT_EQ(record.sideDitches == edited.sideDitches, c.answer != kTheirs);
  }
}

TEST(SchemeConflictTest, AReplacedFileIsAChangeOfEveryEditedTableAndTheChangesSayWhichRoads) {
  ScratchDir dir;
  const std::string path = dir.File("scheme.mdb");
  MakeScheme(path);
  Unit mine(path), other(path);
  EXPECT_FALSE(mine.scheme.FindChanges(mine.records).Any());
  other.Apply({{1, kLeft, 0, 0.55}});
  ASSERT_TRUE(other.scheme.SaveQuietly(other.records).AllSaved());
  EXPECT_EQ(mine.scheme.FindChanges(mine.records).roads, std::vector<std::string>{"A"});

  // A copy of the same rows put in its place: an edited table is asked about until answered.
  std::filesystem::copy_file(path, dir.File("copy"));
  std::filesystem::rename(dir.File("copy"), path);
  EXPECT_TRUE(mine.scheme.FindChanges(mine.records).replaced);
  mine.Apply({{0, kRight, 0, 0.66}});
  for (int save = 0; save < 2; ++save) {
    const SaveReport report = mine.scheme.SaveQuietly(mine.records);
    EXPECT_EQ(Described(report.conflicts), "主线右侧沟整个方案数据库文件已被另一个文件替换!;");
    if (save == 1) SchemeStore::KeepMine(*mine.records[0], report.conflicts.at(0));
  }
  EXPECT_TRUE(mine.scheme.SaveQuietly(mine.records).AllSaved());
  EXPECT_EQ(Widths(path), "0.3 0.4 0.55 / 0.66 0.4");
  EXPECT_EQ(mine.scheme.FindChanges(mine.records).roads, std::vector<std::string>{"A"});
}

}  // namespace
}  // namespace hdmjm::test
