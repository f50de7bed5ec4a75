// Runs the built hdmjm-tool on sample projects and hand-made databases and checks what it writes.
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "store/access_support.h"
#include "store/catalogue.h"

namespace hdmjm::test {
namespace {

using Json = nlohmann::ordered_json;

constexpr char kUsage[] =
    "usage: hdmjm-tool [--verbose] sample DIR | dump DB | resave DB | convert ACCESS OUT | check "
    "DB [--road NAME] [--json]";

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
  const auto lines = Lines(text);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A real column of the database as the exact double it holds.
std::vector<double> Reals(const std::string& db, const std::string& column,
                          const std::string& table, const std::string& road) {
  std::vector<double> values;
  for (const auto& row : QuerySql(db, "select printf('%!.17g', " + column + ") from " + table +
                                          " where 道路名='" + road + "' order by 序号"))
    values.push_back(std::stod(row[0]));
  return values;
}

int RowsOf(const std::string& db, const std::string& table, const std::string& road) {
  const auto rows = QuerySql(db, "select count(*) from " + table + " where 道路名='" + road + "'");
  return rows.empty() ? -1 : std::stoi(rows[0][0]);
}

class ToolTest : public ::testing::Test {
 protected:
  ToolRun Tool(const std::vector<std::string>& args) {
    std::string command = ShellQuote(HDMJM_TOOL);
    for (const auto& arg : args) command += " " + ShellQuote(arg);
    const auto out = scratch_.path() / "stdout";
    const auto err = scratch_.path() / "stderr";
    command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
  }

  // The sample project, in a folder whose name has a space.
  void MakeSample() {
    const ToolRun run = Tool({"sample", sampleDir_.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }

  Json Dump(const std::string& db) {
    const ToolRun run = Tool({"dump", db});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return Json::parse(run.out);
  }

  ScratchDir scratch_;
  const std::filesystem::path sampleDir_ = scratch_.path() / "sample project";
  const std::string db_ = (sampleDir_ / "改移道路" / "data" / "示例方案.mdb").string();
};

TEST_F(ToolTest, SampleWritesTheProjectFileAndPrintsTheFolderAsAWorkdirToken) {
  const ToolRun run = Tool({"sample", sampleDir_.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, (scratch_.path() / "sample$project").string() + "\n");
  EXPECT_EQ(Lines(ReadFile(sampleDir_ / "改移道路" / "project")),
            std::vector<std::string>{"示例方案"});
  EXPECT_TRUE(std::filesystem::exists(db_));
}

TEST_F(ToolTest, SampleLeavesAnExistingSchemeDatabaseAlone) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  RunSql(db_, {"delete from 左侧沟"});
  const ToolRun again = Tool({"sample", sampleDir_.string()});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_TRUE(HasLine(again.err, db_ + "已存在!")) << again.err;
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左侧沟"),
            (std::vector<std::vector<std::string>>{{"0"}}));
}

TEST_F(ToolTest, DumpResaveDumpOfTheSampleGivesTheSameDocument) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  const ToolRun first = Tool({"dump", db_});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const ToolRun resave = Tool({"resave", db_});
  EXPECT_EQ(resave.exitCode, 0) << resave.err;
  EXPECT_TRUE(HasLine(resave.err, "横断面标准数据已存入" + db_ + "中!")) << resave.err;
  const ToolRun second = Tool({"dump", db_});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(first.out, second.out);
}

TEST_F(ToolTest, DumpListsTheRoadsMainLineFirstWithTheirChainBreakExtents) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  const Json dump = Dump(db_);
  EXPECT_EQ(dump["database"], db_);
  std::vector<std::string> names;
  for (const auto& road : dump["roads"]) names.push_back(road["name"]);
  // 断链表 holds 匝道A first; 连接线 starts before 匝道A.
  EXPECT_EQ(names, (std::vector<std::string>{"主线", "连接线", "匝道A"}));
  for (const auto& road : dump["roads"]) {
    const std::string name = road["name"];
    const auto left = Reals(db_, "等号左里程数", "断链表", name);
    const auto right = Reals(db_, "等号右里程数", "断链表", name);
    EXPECT_EQ(road["chainBreaks"].size(), left.size()) << name;
    EXPECT_EQ(road["start"], left.front()) << name;
    EXPECT_EQ(road["end"], right.back()) << name;
  }
}

TEST_F(ToolTest, DumpKeysEveryTableByItsDatabaseNameAndEveryFieldByItsColumn) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  const Json road = Dump(db_)["roads"][0];
  const Json& tables = road["tables"];
  std::vector<std::string> keys, expected;
  for (const auto& item : tables.items()) keys.push_back(item.key());
  for (const TableStep& step : LoadOrder()) expected.push_back(step.table->Name(step.side));
  EXPECT_EQ(keys, expected);

  const Json& compaction = tables["松方压实系数"];
  ASSERT_TRUE(compaction.is_object());
  EXPECT_EQ(compaction.size(), 6u);
  EXPECT_TRUE(compaction["松土"].is_number_float());
  EXPECT_TRUE(tables["左路面厚度"][0].contains("分段终里程数"));
  EXPECT_TRUE(tables["右路面厚度"][0].contains("分段终里程"));
  EXPECT_TRUE(tables["右侧沟"][0].contains("内侧边坡") && tables["右侧沟"][0].contains("外侧边坡"));
  EXPECT_TRUE(tables["左侧沟"][0].contains("左侧边坡") && tables["左侧沟"][0].contains("右侧边坡"));
  EXPECT_TRUE(tables["填方分类"][0]["填料类型"].is_number_integer());
  EXPECT_TRUE(tables["用地类型表"][0]["用地类型"].is_string());

  // Reals read back exactly as the database holds them.
  std::vector<double> widths;
  for (const auto& row : tables["左侧沟"]) widths.push_back(row["水沟底宽"]);
  EXPECT_EQ(widths, Reals(db_, "水沟底宽", "左侧沟", "主线"));

  for (const char* slopes : {"左路堤边坡", "左路堑边坡", "右路堤边坡", "右路堑边坡"}) {
    ASSERT_FALSE(tables[slopes].empty()) << slopes;
    for (const auto& row : tables[slopes]) {
      ASSERT_EQ(row["levels"].size(), row["边坡总级数"].get<size_t>()) << slopes;
      for (const auto& level : row["levels"]) {
        std::vector<std::string> fields;
        for (const auto& item : level.items()) fields.push_back(item.key());
        EXPECT_EQ(fields,
                  (std::vector<std::string>{"边坡系数", "最大高度", "平台宽度", "平台横坡"}));
      }
      // Saving sets the height limit of the last level in use to 100.
      EXPECT_EQ(row["levels"].back()["最大高度"], 100.0) << slopes;
    }
  }
}

TEST_F(ToolTest, DumpOfAFileThatIsNotASchemeDatabaseExitsWithOne) {
  const ToolRun missing = Tool({"dump", scratch_.File("没有.mdb")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_TRUE(HasLine(missing.err, "连接数据库失败!")) << missing.err;
  EXPECT_FALSE(std::filesystem::exists(scratch_.File("没有.mdb")));

  std::ofstream(scratch_.File("text.mdb")) << "not a database\n";
  EXPECT_EQ(Tool({"dump", scratch_.File("text.mdb")}).exitCode, 1);
  EXPECT_EQ(Tool({"resave", scratch_.File("text.mdb")}).exitCode, 1);
}

TEST_F(ToolTest, TraceLinesReachStderrOnlyWithVerboseAndNeverNameSourcesOrOtherProducts) {
  std::ofstream(scratch_.File("text.mdb")) << "not a database\n";
  const ToolRun quiet = Tool({"dump", scratch_.File("text.mdb")});
  EXPECT_EQ(quiet.exitCode, 1);
  const std::string refused =
      "连接数据库失败! 该文件不是方案数据库。 详细信息: file is not a database";
  EXPECT_EQ(Lines(quiet.err), std::vector<std::string>{refused});

  const ToolRun verbose = Tool({"--verbose", "dump", scratch_.File("text.mdb")});
  EXPECT_EQ(verbose.exitCode, 1);
  EXPECT_TRUE(HasLine(verbose.err, refused)) << verbose.err;
  const auto lines = Lines(verbose.err);
  EXPECT_GT(lines.size(), 1u) << verbose.err;
  for (const std::string& line : lines) {
    for (const char* word : {".cpp", ".h(", ":(", "Jet", "OLEDB", "Microsoft", "Access"})
      EXPECT_EQ(line.find(word), std::string::npos) << word << " in: " << line;
  }
}

TEST_F(ToolTest, WrongArgumentsPrintTheUsageAndExitWithTwo) {
  const std::vector<std::vector<std::string>> wrong = {{},
                                                       {"dump"},
                                                       {"list", "x.mdb"},
                                                       {"dump", "x.mdb", "y.mdb"},
                                                       {"--verbose"},
                                                       {"dump", "--verbose", "x.mdb"},
                                                       {"check", "x.mdb", "--road"},
                                                       {"check", "x.mdb", "--all"}};
  for (const auto& args : wrong) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.exitCode, 2) << args.size();
    EXPECT_EQ(Lines(run.err), std::vector<std::string>{kUsage}) << args.size();
  }
}

TEST_F(ToolTest, ResaveNamesTheRoadsThatWereNotSavedAndKeepsTheirRows) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  // A last level below the top, as an older program left it: the resave must write the table.
  RunSql(db_, {"update 左路堤边坡 set \"3级最大高度\" = 12 where 道路名='匝道A' and 边坡总级数=3",
               "create trigger refuse before insert on 左路堤边坡 when new.道路名='匝道A' "
               "begin select raise(abort, 'refused'); end"});
  const int rows = RowsOf(db_, "左路堤边坡", "匝道A");
  const ToolRun run = Tool({"resave", db_});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_TRUE(HasLine(run.err, "以下道路的横断面标准数据未能存入" + db_ +
                                   "中: 匝道A。 数据库中这些道路原有的数据未被改动。"))
      << run.err;
  EXPECT_FALSE(HasLine(run.err, "横断面标准数据已存入" + db_ + "中!")) << run.err;
  EXPECT_EQ(RowsOf(db_, "左路堤边坡", "匝道A"), rows);
  EXPECT_EQ(QuerySql(db_, "select count(*) from 左路堤边坡 where \"3级最大高度\" = 12"),
            (std::vector<std::vector<std::string>>{{"1"}}));
}

TEST_F(ToolTest, ResaveDoesNotSaveARoadWhoseRowsDidNotAllFitTheRecord) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  RunSql(db_, {"insert into 左路堤边坡 (道路名, 分段终里程, 边坡总级数) "
               "with recursive n(i) as (select 1 union all select i + 1 from n where i < 300) "
               "select '连接线', 2000 + i, 0 from n"});
  const int rows = RowsOf(db_, "左路堤边坡", "连接线");
  ASSERT_GT(rows, 300);
  const ToolRun run = Tool({"resave", db_});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(RowsOf(db_, "左路堤边坡", "连接线"), rows);
}

TEST_F(ToolTest, DumpStillWritesValidJsonForTextsThatAreNotUtf8) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  // 水田 in GBK, as an older installation stored it.
  RunSql(db_, {"update 用地类型表 set 用地类型 = cast(x'cbaeccef' as text)"});
  const ToolRun run = Tool({"dump", db_});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const Json dump = Json::parse(run.out, nullptr, false);
  ASSERT_FALSE(dump.is_discarded());
  const std::string shown = dump["roads"][0]["tables"]["用地类型表"][0]["用地类型"];
  EXPECT_NE(shown.find("\xEF\xBF\xBD"), std::string::npos) << shown;  // the replacement sign
}

// Every table of the database with its rows, each value with its type and in full; 序号 is
// left out, as a save may number the rows anew, and the roads' rows are grouped by road in
// their order, as a save writes one road after another.
std::vector<std::vector<std::string>> ExactDump(const std::string& db) {
  std::vector<std::vector<std::string>> dump;
  for (const auto& table :
       QuerySql(db,
                "select name from sqlite_master where type = 'table' and name not like "
                "'sqlite_%' order by name")) {
    dump.push_back(table);
    auto rows = ExactRows(db, table[0], "", false);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.front() < b.front(); });
    dump.insert(dump.end(), rows.begin(), rows.end());
  }
  return dump;
}

TEST_F(ToolTest, ResaveOfAnUneditedSchemeLeavesEveryValueAsItWas) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  RunSql(db_, {"update 左侧沟 set 水沟底宽 = 0.123456789012, 沟深 = 1e-9 where 道路名 = '主线'",
               "update 右横断面限制宽度 set 路基限宽 = 12.345678901234567"});
  const auto before = ExactDump(db_);
  const ToolRun run = Tool({"resave", db_});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ExactDump(db_), before);
}

TEST_F(ToolTest, ExitCodesTellSuccessFromNothingDoneFromRoadsNotSaved) {
  const std::string other = scratch_.File("other.mdb");
  RunSql(other, {"create table 其他 (x)"});
  const ToolRun notScheme = Tool({"resave", other});
  EXPECT_EQ(notScheme.exitCode, 1);
  EXPECT_TRUE(HasLine(notScheme.err, "该文件不是方案数据库。")) << notScheme.err;

  ASSERT_NO_FATAL_FAILURE(MakeSample());
  RunSql(db_, {"update 左侧沟 set 水沟底宽 = 'abc' where 道路名 = '主线'"});
  EXPECT_EQ(Tool({"dump", db_}).exitCode, 3);  // 主线 is shown as far as it could be read
  const ToolRun unsaved = Tool({"resave", db_});
  EXPECT_EQ(unsaved.exitCode, 3);
  EXPECT_EQ(QuerySql(db_, "select 水沟底宽 from 左侧沟 where 道路名 = '主线'")[0][0], "abc");

  RunSql(db_, {"update 左侧沟 set 水沟底宽 = 0.5 where 道路名 = '主线'"});
  sqlite3* lock = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &lock), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(lock, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const ToolRun locked = Tool({"resave", db_});
  sqlite3_close(lock);
  EXPECT_EQ(locked.exitCode, 1);  // the road list could not even be read
  EXPECT_NE(locked.err.find("已锁定"), std::string::npos) << locked.err;
  EXPECT_EQ(Tool({"resave", db_}).exitCode, 0);
}

TEST_F(ToolTest, AnAccessSchemeDumpsAsItsSqliteSchemeAndConvertsIntoOneWithEveryTable) {
  const std::string expected = ExpectedScheme(scratch_);
  const std::string access = CopyJet(scratch_, kSampleJet4);
  const std::string converted = scratch_.File("converted.mdb");
  const Json fromAccess = Dump(access);
  EXPECT_EQ(fromAccess["roads"], Dump(expected)["roads"]);
  const ToolRun convert = Tool({"convert", access, converted});
  EXPECT_EQ(convert.exitCode, 0) << convert.err;
  for (const auto& table : SqliteTables(expected))
    EXPECT_EQ(ExactRows(converted, table[0]), ExactRows(expected, table[0])) << table[0];
  EXPECT_EQ(Dump(converted)["roads"], fromAccess["roads"]);

  const std::string before = ReadFile(converted);
  EXPECT_EQ(Tool({"convert", access, converted}).exitCode, 1);
  const ToolRun resave = Tool({"resave", access});
  EXPECT_EQ(resave.exitCode, 1);
  EXPECT_NE(resave.err.find("convert"), std::string::npos) << resave.err;
  EXPECT_EQ(ReadFile(converted), before);
  EXPECT_EQ(ReadBytes(access), ReadBytes(SharedJet(kSampleJet4)));
}

TEST_F(ToolTest, FilesThatHoldNoReadableSchemeExitWithOneAndStayAsTheyWere) {
  const std::string sample = ReadBytes(SharedJet(kSampleJet4));
  WriteBytes(scratch_.File("truncated.mdb"), sample.substr(0, 300000));
  WriteBytes(scratch_.File("random.mdb"), std::string(50000, '\x5a'));
  const std::string notScheme = "该文件不是方案数据库。";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      // the file, what dump says, what convert says
      {CopyJet(scratch_, kNotSchemeJet4), notScheme, notScheme},
      {CopyJet(scratch_, kAccess97), notScheme, notScheme},
      {scratch_.File("truncated.mdb"), "已损坏", "已损坏"},
      {scratch_.File("random.mdb"), notScheme, "该文件不是 Access 数据库。"},
  };
  for (const auto& [path, dumpWords, convertWords] : cases) {
    const std::string before = ReadBytes(path);
    const ToolRun dump = Tool({"dump", path});
    const ToolRun convert = Tool({"convert", path, scratch_.File("out.mdb")});
    EXPECT_EQ(dump.exitCode, 1) << path;
    EXPECT_EQ(convert.exitCode, 1) << path;
    EXPECT_NE(dump.err.find(dumpWords), std::string::npos) << path << dump.err;
    EXPECT_NE(convert.err.find(convertWords), std::string::npos) << path << convert.err;
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("out.mdb")));
    EXPECT_EQ(ReadBytes(path), before) << path;
  }
}

TEST_F(ToolTest, CheckPrintsALinePerFindingOrJsonAndExitsWithFourWhenItFindsAny) {
  ASSERT_NO_FATAL_FAILURE(MakeSample());
  const ToolRun clean = Tool({"check", db_});
  EXPECT_EQ(clean.exitCode, 0) << clean.out << clean.err;
  EXPECT_EQ(clean.out, "");

  // A typo in the middle of a table, and a ditch wider than its radius allows.
  RunSql(db_, {"update 左横断面限制宽度 set 分段终里程 = 21280 where 道路名 = '主线' and "
               "序号 = (select min(序号) from 左横断面限制宽度 where 道路名 = '主线')",
               "update 右侧沟 set 沟底半径 = 0.1 where 道路名 = '连接线'"});
  const ToolRun lines = Tool({"check", db_});
  EXPECT_EQ(lines.exitCode, 4);
  EXPECT_EQ(
      Lines(lines.out),
      (std::vector<std::string>{
          "主线 左横断面限制宽度 第2行 分段终里程: 错误: 分段终里程5320.800不大于上一行的21280",
          "连接线 右侧沟 第1行 沟底半径: 错误: 沟底半径0.100小于半个水沟底宽0.600"}))
      << lines.out;

  const ToolRun json = Tool({"check", db_, "--json", "--road", "连接线"});
  EXPECT_EQ(json.exitCode, 4);
  const Json document = Json::parse(json.out);
  ASSERT_EQ(document["findings"].size(), 1u);
  EXPECT_EQ(document["findings"][0]["rule"], "ditch-radius");
  EXPECT_EQ(document["findings"][0]["values"], Json::parse("[0.1, 0.6]"));
  EXPECT_EQ(document["errors"], 1);

  const ToolRun none = Tool({"check", db_, "--road", "没有这条路"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(HasLine(none.err, "方案中没有道路没有这条路。")) << none.err;
}

}  // namespace
}  // namespace hdmjm::test
