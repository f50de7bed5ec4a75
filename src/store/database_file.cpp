#include "database_file.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace hdmjm {
namespace {

constexpr std::size_t kHeaderSize = 100;

std::uint32_t BigEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

AdoError EngineFault(int code) { return {code, sqlite3_errstr(code)}; }

// The 100-byte header of a database file: its magic text, a page size that is a power of two,
// and, where the header vouches for it, a file long enough for its pages.
AdoError HeaderFault(const std::string& path) {
  unsigned char header[kHeaderSize];
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file || std::fread(header, 1, sizeof header, file.get()) != sizeof header ||
      std::memcmp(header, "SQLite format 3", 16) != 0)
    return EngineFault(SQLITE_NOTADB);
  std::uint32_t pageSize = BigEndian(header + 16, 2);
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) return EngineFault(SQLITE_NOTADB);
  const std::uint32_t changeCounter = BigEndian(header + 24, 4);
  const std::uint32_t pageCount = BigEndian(header + 28, 4);
  const std::uint32_t validFor = BigEndian(header + 92, 4);
  if (pageCount > 0 && changeCounter == validFor) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size < std::uintmax_t{pageCount} * pageSize) return EngineFault(SQLITE_CORRUPT);
  }
  return {};
}

// Reads the whole schema table.
AdoError SchemaFault(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT * FROM sqlite_master", -1, &statement, nullptr);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) rc = sqlite3_step(statement);
  AdoError fault;
  if (rc != SQLITE_DONE) {
    const int code = sqlite3_errcode(db) & 0xff;
    fault = {code != SQLITE_OK ? code : SQLITE_NOTADB, sqlite3_errmsg(db)};
  }
  sqlite3_finalize(statement);
  return fault;
}

}  // namespace

AdoError DatabaseFault(sqlite3* db, const std::string& path) {
  AdoError fault = SchemaFault(db);
  if (fault.code == 0) fault = HeaderFault(path);
  return fault;
}

FileIdentity IdentifyFile(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return {};
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace hdmjm
