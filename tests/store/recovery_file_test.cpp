// The recovery file: what it keeps of a session's edits, and the files it never gives back.
#include "store/recovery_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "store/scheme_tables.h"
#include "test_support.h"

namespace hdmjm::test {
namespace {

using Rows = std::vector<std::vector<FieldValue>>;
using State = RecoveryRead::State;

RoadRecordList DefaultRoads() {
  RoadRecordList records;
  for (const char* road : {"主线", "A"}) {
    records.push_back(std::make_unique<RoadSectionStore>());
    records.back()->roadName = road;
    SetDefaults(*records.back(), {0, 1000});
  }
  return records;
}

// One edit of each kind of table: rows of reals, slope segments with their levels, text, codes,
// a table emptied, and the coefficients of the whole scheme.
struct Edit {
  std::string_view table;
  Side side;
  Rows rows;
};
const std::vector<Edit> kEdits = {
    {kWidthLimitTable, kRight, {{400.0, 12.5}, {1000.0, 14.0}}},
    {kEmbankmentSlopeTable,
     kLeft,
     {{600.0, 2, 1.5, 8.0, 2.0, 4.0, 1.75, 100.0, 0.0, 0.0}, {1000.0, 0}}},
    {kLandTypeTable, kLeft, {{1000.0, std::string("水田, \"旱地\"")}}},
    {kTopsoilTable, kRight, {{300.0, 0.3, 1}, {1000.0, 0.5, 0}}},
    {kPavementTable, kLeft, {}},
    {kCompactionTable, kLeft, {{1.1, 1.2, 1.3, 1.4, 1.5, 1.6}}},
};

class RecoveryFileTest : public ::testing::Test {
 protected:
  RecoveryFileTest() {
    RunSql(scheme, {kChainBreakTableSql});
    for (const auto& record : edited) baselines.emplace_back().Take(*record);
    for (const Edit& edit : kEdits)
      FindTable(edit.table)->ReplaceRows(*edited[1], edit.side, edit.rows);
  }
  // Writes the edits of both roads as the program does.
  void WriteEdits() {
    const std::vector<RoadEdits> roads{baselines[0].EditsOf(*edited[0]),
                                       baselines[1].EditsOf(*edited[1])};
    std::string error;
    ASSERT_TRUE(file.Write(IdentifyScheme(scheme), roads, false, &error)) << error;
  }

  ScratchDir scratch;
  std::string scheme = scratch.File("方案一.mdb");
  RecoveryFile file{scratch.path() / "方案一.mdb.恢复"};
  RoadRecordList edited = DefaultRoads();
  std::vector<TableBaseline> baselines;
};

TEST_F(RecoveryFileTest, EveryKindOfTableComesBackAsEditedAndOnlyEditedTablesAreKept) {
  WriteEdits();
  const RecoveryRead read = file.Read(IdentifyScheme(scheme));
  ASSERT_EQ(read.state, State::Newer) << read.detail;
  ASSERT_EQ(read.roads.size(), 1u);  // 主线 was not edited
  EXPECT_EQ(read.roads[0].tables.size(), kEdits.size());

  RoadRecordList restored = DefaultRoads();
  EXPECT_TRUE(ApplyEdits(read.roads, restored).empty());
  for (const auto& [table, side] : RecoveredTables()) {
    const bool whole = table->Scope() == TableScope::Scheme;  // every road has the coefficients
    EXPECT_EQ(TableImage(*table, *restored[1], side), TableImage(*table, *edited[1], side))
        << table->Name(side);
    EXPECT_EQ(TableImage(*table, *restored[0], side) == TableImage(*table, *edited[1], side),
              whole || TableImage(*table, *edited[0], side) == TableImage(*table, *edited[1], side))
        << table->Name(side);
  }

  // Undone back to the loaded tables, the road holds no edits and leaves the file.
  edited = DefaultRoads();
  WriteEdits();
  EXPECT_TRUE(file.Read(IdentifyScheme(scheme)).roads.empty());
}

TEST_F(RecoveryFileTest, AFileDamagedForeignOrOlderThanTheSchemeIsRefusedAndSetAside) {
  const auto sql = [this](std::string statement) {
    return [this, statement] { RunSql(file.Path().string(), {statement}); };
  };
  const struct {
    const char* what;
    std::function<void()> spoil;
    State state;
  } cases[] = {
      {"nothing spoilt", [] {}, State::Newer},
      {"not a database", [this] { std::ofstream(file.Path()) << "恢复文件的一部分"; },
       State::Damaged},
      {"cut short",
       [this] {
         std::filesystem::resize_file(file.Path(), std::filesystem::file_size(file.Path()) / 2);
       },
       State::Damaged},
      {"a value of another kind", sql("UPDATE cells SET value = 'x' WHERE col = 0"),
       State::Damaged},
      {"a slope row short of its levels", sql("DELETE FROM cells WHERE col = 9"), State::Damaged},
      {"a row missing", sql("UPDATE edited SET rows = rows + 1"), State::Damaged},
      {"a table the catalogue lacks", sql("UPDATE edited SET name = '左不存在'"), State::Damaged},
      {"another scheme's", sql("UPDATE scheme SET path = '/elsewhere/方案一.mdb'"),
       State::OtherScheme},
      {"the scheme saved since",
       [this] {
         RunSql(scheme, {ChainBreakRowSql("主线", 0, 1000)});
         std::filesystem::last_write_time(
             scheme, std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
       },
       State::Older},
  };
  for (const auto& c : cases) {
    WriteEdits();
    c.spoil();
    const RecoveryRead read = file.Read(IdentifyScheme(scheme));
    EXPECT_EQ(read.state, c.state) << c.what << ": " << read.detail;
    EXPECT_EQ(read.roads.empty(), c.state != State::Newer) << c.what;
    const auto kept = file.SetAside("损坏");
    ASSERT_TRUE(kept) << c.what;
    EXPECT_FALSE(file.Exists()) << c.what;
    EXPECT_EQ(RecoveryFile(*kept).Read(IdentifyScheme(scheme)).state, c.state) << c.what;
  }
}

}  // namespace
}  // namespace hdmjm::test
