// Saving a scheme onto a disk that fills up half-way, or into a file or folder that refuses
// writing. A layer over the engine's own file system gives the database a fixed amount of free
// room, so the engine meets a full disk exactly as it would on a real one: every road is atomic,
// the rest is not tried, and nothing is lost. The same layer refuses writing where told.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "store/messages.h"
#include "store/scheme.h"
#include "test_support.h"

namespace hdmjm::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;
using Rows = std::vector<std::vector<std::string>>;

// The engine's default file system, wrapped while this lives (it is the default then). Writes
// that grow a file take room; truncating or deleting a file gives it back; a write that needs
// more room than is left writes nothing and fails with SQLITE_FULL, as the engine's own layer
// reports ENOSPC. Overwriting inside a file takes no room, as on a real disk, so the engine can
// still roll back from its journal.
class FullDisk {
 public:
  FullDisk() : real_(sqlite3_vfs_find(nullptr)), vfs_(*real_) {
    vfs_.zName = "hdmjm-full-disk";
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.xOpen = &Open;
    vfs_.xDelete = &Delete;
    vfs_.xAccess = [](sqlite3_vfs*, const char* path, int flags, int* out) {
      if (flags != SQLITE_ACCESS_READWRITE || !current_->refused.count(path))
        return current_->real_->xAccess(current_->real_, path, flags, out);
      *out = 0;
      return SQLITE_OK;
    };
    current_ = this;
    sqlite3_vfs_register(&vfs_, 1);
  }
  ~FullDisk() {
    sqlite3_vfs_unregister(&vfs_);
    sqlite3_vfs_register(real_, 1);
    current_ = nullptr;
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // From now on, `bytes` more may be taken; counts of refusals start again.
  void SetRoom(std::int64_t bytes) {
    limit_ = used_ + bytes;
    refusals_ = 0;
  }
  void Unlimited() { limit_ = std::numeric_limits<std::int64_t>::max(); }
  // Room taken (less room given back) since this was made.
  std::int64_t Used() const { return used_; }
  // The most taken at any moment since the last call.
  std::int64_t TakePeak() { return std::exchange(peak_, used_); }
  int Refusals() const { return refusals_; }
  // The kind of file (SQLITE_OPEN_MAIN_DB, SQLITE_OPEN_MAIN_JOURNAL, ...) first refused room.
  int FirstRefused() const { return firstRefused_; }
  // Files and folders that cannot be written, as an immutable file or a read-only folder cannot,
  // even by the superuser.
  std::set<std::string> refused;
  // Write locks taken after the first refusal: each is a transaction begun on the full disk.
  int WriteLocksSinceRefusal() const { return refusals_ ? writeLocks_ - writeLocksAtRefusal_ : 0; }

 private:
  struct File {
    sqlite3_file base;
    sqlite3_int64 size;
    bool deleteOnClose;
    int kind;  // SQLITE_OPEN_MAIN_DB, SQLITE_OPEN_MAIN_JOURNAL, ...
    // The engine's own file lies right behind, in the room szOsFile asks for.
    sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
  };
  static constexpr int kKinds = SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL |
                                SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_TEMP_JOURNAL |
                                SQLITE_OPEN_TRANSIENT_DB | SQLITE_OPEN_SUBJOURNAL |
                                SQLITE_OPEN_SUPER_JOURNAL | SQLITE_OPEN_WAL;
  static File* Of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }
  static sqlite3_file* RealOf(sqlite3_file* file) { return Of(file)->Real(); }
  static const sqlite3_io_methods* Methods(sqlite3_file* file) { return RealOf(file)->pMethods; }

  bool Take(std::int64_t bytes, int kind) {
    if (used_ + bytes > limit_) {
      if (refusals_++ == 0) {
        writeLocksAtRefusal_ = writeLocks_;
        firstRefused_ = kind;
      }
      return false;
    }
    used_ += bytes;
    peak_ = std::max(peak_, used_);
    return true;
  }
  void GiveBack(std::int64_t bytes) { used_ -= bytes; }

  static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    File* own = Of(file);
    own->base.pMethods = nullptr;
    // A refused folder takes no new file; a refused file opens for reading only.
    const bool folder = name && current_->refused.count(fs::path(name).parent_path().string());
    if (folder && (flags & SQLITE_OPEN_CREATE) && !fs::exists(name)) return SQLITE_CANTOPEN;
    if (name && current_->refused.count(name))
      flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    const int rc = current_->real_->xOpen(current_->real_, name, own->Real(), flags, outFlags);
    if (!own->Real()->pMethods) return rc;
    own->base.pMethods = &kMethods;
    own->deleteOnClose = (flags & SQLITE_OPEN_DELETEONCLOSE) != 0;
    own->size = 0;
    own->kind = flags & kKinds;
    Methods(file)->xFileSize(own->Real(), &own->size);
    return rc;
  }
  static int Delete(sqlite3_vfs*, const char* path, int syncDir) {
    struct stat info;
    if (::stat(path, &info) == 0) current_->GiveBack(info.st_size);
    return current_->real_->xDelete(current_->real_, path, syncDir);
  }
  static int Close(sqlite3_file* file) {
    if (Of(file)->deleteOnClose) current_->GiveBack(Of(file)->size);
    return Methods(file)->xClose(RealOf(file));
  }
  static int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    File* own = Of(file);
    if (offset + amount > own->size) {
      if (!current_->Take(offset + amount - own->size, own->kind)) return SQLITE_FULL;
      own->size = offset + amount;
    }
    return Methods(file)->xWrite(own->Real(), data, amount, offset);
  }
  static int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    File* own = Of(file);
    if (size > own->size && !current_->Take(size - own->size, own->kind)) return SQLITE_FULL;
    if (size < own->size) current_->GiveBack(own->size - size);
    own->size = size;
    return Methods(file)->xTruncate(own->Real(), size);
  }
  static int Lock(sqlite3_file* file, int level) {
    if (level == SQLITE_LOCK_RESERVED) ++current_->writeLocks_;
    return Methods(file)->xLock(RealOf(file), level);
  }

  static constexpr sqlite3_io_methods kMethods = {
      3,
      &Close,
      [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        return Methods(f)->xRead(RealOf(f), data, amount, offset);
      },
      &Write,
      &Truncate,
      [](sqlite3_file* f, int flags) { return Methods(f)->xSync(RealOf(f), flags); },
      [](sqlite3_file* f, sqlite3_int64* size) { return Methods(f)->xFileSize(RealOf(f), size); },
      &Lock,
      [](sqlite3_file* f, int level) { return Methods(f)->xUnlock(RealOf(f), level); },
      [](sqlite3_file* f, int* out) { return Methods(f)->xCheckReservedLock(RealOf(f), out); },
      [](sqlite3_file* f, int op, void* arg) {
        return Methods(f)->xFileControl(RealOf(f), op, arg);
      },
      [](sqlite3_file* f) { return Methods(f)->xSectorSize(RealOf(f)); },
      [](sqlite3_file* f) { return Methods(f)->xDeviceCharacteristics(RealOf(f)); },
      [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
        return Methods(f)->xShmMap(RealOf(f), region, size, extend, out);
      },
      [](sqlite3_file* f, int offset, int n, int flags) {
        return Methods(f)->xShmLock(RealOf(f), offset, n, flags);
      },
      [](sqlite3_file* f) { Methods(f)->xShmBarrier(RealOf(f)); },
      [](sqlite3_file* f, int remove) { return Methods(f)->xShmUnmap(RealOf(f), remove); },
      [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
        return Methods(f)->xFetch(RealOf(f), offset, amount, out);
      },
      [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
        return Methods(f)->xUnfetch(RealOf(f), offset, page);
      },
  };

  static inline FullDisk* current_ = nullptr;
  sqlite3_vfs* real_;
  sqlite3_vfs vfs_;
  std::int64_t used_ = 0;
  std::int64_t peak_ = 0;
  std::int64_t limit_ = std::numeric_limits<std::int64_t>::max();
  int refusals_ = 0;
  int writeLocks_ = 0;
  int writeLocksAtRefusal_ = 0;
  int firstRefused_ = 0;
};

class ProgressCall : public Progress {
 public:
  void SetProgress(int percent) override {
    if (call) call(percent);
  }
  std::function<void(int)> call;
};

const std::vector<std::string> kRoads = {"主线", "A", "B", "C"};

// A scheme of four roads in a file of its own, opened and saved once (which gives it every
// table), then edited: every road gets a new side ditch width and forty land-use rows with long
// names, so that saving a road needs room on the disk.
struct EditedScheme {
  explicit EditedScheme(std::string file) : path(std::move(file)) {
    RunSql(path, {kChainBreakTableSql,
                  "create table 左侧沟 (序号 INTEGER PRIMARY KEY, 道路名 VARCHAR, 分段终里程 "
                  "double, 水沟底宽 double, 沟深 double, 左侧边坡 double, 右侧边坡 double, "
                  "浆砌厚度 double, 沟底半径 double)"});
    for (size_t i = 0; i < kRoads.size(); ++i)
      RunSql(path, {ChainBreakRowSql(kRoads[i], 1000.0 * i, 1000.0 * i + 900),
                    "insert into 左侧沟 (道路名, 分段终里程, 水沟底宽, 沟深, 左侧边坡, 右侧边坡, "
                    "浆砌厚度, 沟底半径) values ('" +
                        kRoads[i] + "', 900, 0.3, 0.4, 1, 1, 0.2, 0)"});
    EXPECT_TRUE(scheme.Open(path));
    records = scheme.TakeRecords();
    EXPECT_TRUE(scheme.SaveQuietly(records).AllSaved());
    for (auto& record : records) {
      record->sideDitches[kLeft].at(0).bottomWidth = 0.75;
      for (int i = 1; i <= 40; ++i)
        record->landTypes.push_back({25.0 * i, std::string(150, 'x') + record->roadName});
    }
  }

  std::string path;
  Recorders recorders;
  ProgressCall progress;
  SchemeStore scheme{Services{&recorders.messages, &recorders.trace, &progress}};
  RoadRecordList records;
};

// Every row of the road in every table that has roads, without 序号.
std::map<std::string, Rows> RoadRows(const std::string& path, const std::string& road) {
  std::map<std::string, Rows> rows;
  for (const auto& table :
       QuerySql(path,
                "select m.name from sqlite_master m join pragma_table_info(m.name) p "
                "where m.type = 'table' and p.name = '道路名'"))
    rows[table[0]] = ExactRows(path, table[0], "where 道路名 = '" + road + "'", false);
  return rows;
}

std::string RoadList(const std::vector<std::string>& roads) {
  std::string list;
  for (const std::string& road : roads) list += (list.empty() ? "" : "、") + road;
  return list;
}

TEST(SchemeDiskFullTest, ADiskFillingUpSavesTheRoadsBeforeKeepsTheRestWholeAndTheNextSaveEnds) {
  ScratchDir dir;
  FullDisk disk;  // before every scheme: their connections use it to the end

  // With room enough: what every road's save takes, and the file a whole save makes.
  EditedScheme roomy(dir.File("roomy.mdb"));
  std::vector<std::int64_t> usedAt, peakTo;  // at the save's start, then after each road
  roomy.progress.call = [&](int) {
    usedAt.push_back(disk.Used());
    peakTo.push_back(disk.TakePeak());
  };
  disk.TakePeak();
  ASSERT_TRUE(roomy.scheme.SaveQuietly(roomy.records).AllSaved());
  ASSERT_EQ(usedAt.size(), kRoads.size() + 1);
  std::map<std::string, std::map<std::string, Rows>> whole;
  for (const std::string& road : kRoads) whole[road] = RoadRows(roomy.path, road);
  ASSERT_EQ(QuerySql(roomy.path,
                     "select 道路名, count(*) from 左侧沟 where 水沟底宽 = 0.75 "
                     "group by 道路名 order by 道路名"),
            (Rows{{"A", "1"}, {"B", "1"}, {"C", "1"}, {"主线", "1"}}));
  ASSERT_EQ(whole["C"]["用地类型表"].size(), 40u);

  struct Case {
    size_t failing;  // the road that finds the disk full
    double share;    // of the room that road needs beyond the roads before, left to it
    int refused;     // the file that then finds no room
  };
  // The disk full while the road's journal grows, and once the journal is complete, while the
  // database file grows: part-way, and at the very last page.
  for (const Case& c : {Case{1, 0, SQLITE_OPEN_MAIN_JOURNAL}, Case{1, 0.5, SQLITE_OPEN_MAIN_DB},
                        Case{2, 1, SQLITE_OPEN_MAIN_DB}}) {
    SCOPED_TRACE("road " + kRoads[c.failing] + ", share " + std::to_string(c.share));
    EditedScheme scheme(dir.File("full" + std::to_string(c.failing) + "-" +
                                 std::to_string(static_cast<int>(c.share * 10)) + ".mdb"));
    std::map<std::string, std::map<std::string, Rows>> old;
    for (const std::string& road : kRoads) old[road] = RoadRows(scheme.path, road);
    // Enough for the roads before at their peak, not for the failing road's peak.
    const std::int64_t before =
        *std::max_element(peakTo.begin() + 1, peakTo.begin() + c.failing + 1) - usedAt[0];
    const std::int64_t needed = peakTo[c.failing + 1] - usedAt[0] - before;
    ASSERT_GT(needed, 0);
    disk.SetRoom(before + std::min(static_cast<std::int64_t>(needed * c.share), needed - 1));

    const SaveReport report = scheme.scheme.Save(scheme.records);
    const std::vector<std::string> saved(kRoads.begin(), kRoads.begin() + c.failing);
    const std::vector<std::string> unsaved(kRoads.begin() + c.failing, kRoads.end());
    EXPECT_THAT(report.saved, ElementsAreArray(saved));
    ASSERT_EQ(report.unsaved.size(), unsaved.size());
    for (size_t i = 0; i < unsaved.size(); ++i) {
      EXPECT_EQ(report.unsaved[i].road, unsaved[i]);
      EXPECT_EQ(report.unsaved[i].cause, FailureCause::DiskFull);
    }
    // The full disk stops the save: no later road begins a transaction on it.
    EXPECT_EQ(disk.FirstRefused(), c.refused);
    EXPECT_EQ(disk.WriteLocksSinceRefusal(), 0);
    const std::string detail = sqlite3_errstr(SQLITE_FULL);
    EXPECT_EQ(scheme.recorders.messages.texts,
              (std::vector<std::string>{
                  CauseMessage(FailureCause::DiskFull, detail) + "\n(" + RoadList(unsaved) + ")",
                  messages::NotSaved(scheme.path, unsaved)}));

    // The file is sound as it stands, without a journal left to roll back.
    EXPECT_FALSE(std::filesystem::exists(scheme.path + "-journal"));
    EXPECT_EQ(QuerySql(scheme.path, "pragma integrity_check"), Rows{{"ok"}});
    for (const std::string& road : saved) EXPECT_EQ(RoadRows(scheme.path, road), whole[road]);
    for (const std::string& road : unsaved) EXPECT_EQ(RoadRows(scheme.path, road), old[road]);
    for (const auto& record : scheme.records) EXPECT_EQ(record->landTypes.size(), 40u);

    // Room again: the same records save whole.
    disk.Unlimited();
    EXPECT_TRUE(scheme.scheme.Save(scheme.records).AllSaved());
    EXPECT_EQ(scheme.recorders.messages.texts.back(), messages::Saved(scheme.path));
    EXPECT_EQ(QuerySql(scheme.path, "pragma integrity_check"), Rows{{"ok"}});
    for (const std::string& road : kRoads) EXPECT_EQ(RoadRows(scheme.path, road), whole[road]);
  }
}

TEST(SchemeDiskFullTest, ADiskTooFullToAddTheMissingTablesSavesNoRoadAndChangesNothing) {
  ScratchDir dir;
  FullDisk disk;
  const std::string path = dir.File("new.mdb");
  RunSql(path, {kChainBreakTableSql, ChainBreakRowSql("主线", 0, 900),
                ChainBreakRowSql("A", 1000, 1900)});
  Recorders recorders;
  SchemeStore scheme(recorders.services());
  ASSERT_TRUE(scheme.Open(path));
  RoadRecordList records = scheme.TakeRecords();
  const Rows tables = QuerySql(path, "select name, sql from sqlite_master");
  disk.SetRoom(0);
  const SaveReport report = scheme.Save(records);
  EXPECT_TRUE(report.saved.empty());
  ASSERT_EQ(report.unsaved.size(), 2u);
  for (const auto& unsaved : report.unsaved) EXPECT_EQ(unsaved.cause, FailureCause::DiskFull);
  EXPECT_EQ(disk.WriteLocksSinceRefusal(), 0);
  EXPECT_EQ(recorders.messages.texts.at(0),
            CauseMessage(FailureCause::DiskFull, sqlite3_errstr(SQLITE_FULL)) + "\n(主线、A)");
  EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
  EXPECT_EQ(QuerySql(path, "select name, sql from sqlite_master"), tables);
  EXPECT_EQ(QuerySql(path, "pragma integrity_check"), Rows{{"ok"}});

  disk.Unlimited();
  EXPECT_TRUE(scheme.Save(records).AllSaved());
  EXPECT_EQ(QuerySql(path, "select count(*) from 左侧沟 where 道路名 = 'A'"), Rows{{"1"}});
}

TEST(SchemeDiskFullTest, AnUnwritableFileOrFolderIsReadOnlyAndTheFirstSaveAfterItSaves) {
  ScratchDir dir;
  FullDisk disk;
  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "folder" : "file");
    EditedScheme scheme(dir.File(folder ? "folder.mdb" : "file.mdb"));
    const std::string refused = folder ? dir.path().string() : scheme.path;
    disk.refused = {refused};
    for (int attempt = 0; attempt < 2; ++attempt) {  // OK pressed again: the same answer
      const SaveReport report = scheme.scheme.Save(scheme.records);
      ASSERT_EQ(report.unsaved.size(), kRoads.size());
      EXPECT_EQ(report.unsaved[0].cause, FailureCause::ReadOnly);
      EXPECT_THAT(report.unsaved[0].detail,
                  ::testing::HasSubstr((folder ? "文件夹" : "文件") + refused));
      EXPECT_THAT(scheme.recorders.messages.texts.at(0), ::testing::HasSubstr("只读"));
      EXPECT_FALSE(fs::exists(scheme.path + "-journal"));
      scheme.recorders.messages.texts.clear();
    }
    disk.refused.clear();
    EXPECT_TRUE(scheme.scheme.Save(scheme.records).AllSaved());
    EXPECT_EQ(QuerySql(scheme.path, "select count(*) from 左侧沟 where 水沟底宽 = 0.75"),
              Rows{{"4"}});
  }
}

}  // namespace
}  // namespace hdmjm::test
