// Whether a file the engine opened is a sound database, checked once at open so that a foreign
// or damaged file fails there rather than at some later query.
#pragma once

#include <cstdint>
#include <string>

#include "ado.h"

struct sqlite3;

namespace hdmjm {

// No failure (code 0) when the database `db`, opened from `path`, reads its schema and has a
// sound header; otherwise the engine's code (SQLITE_NOTADB, SQLITE_CORRUPT, ...) and words.
AdoError DatabaseFault(sqlite3* db, const std::string& path);

// Which file a path names now: its device and inode, both 0 when it names none.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};
FileIdentity IdentifyFile(const std::string& path);

}  // namespace hdmjm
