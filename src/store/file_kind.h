// What a database file is, told by its first bytes rather than by its name.
#pragma once

#include <filesystem>
#include <string>

namespace hdmjm {

enum class FileKind {
  Sqlite,      // "SQLite format 3"
  Jet3,        // Access 97
  Jet4,        // Access 2000-2003
  Ace,         // Access 2007 and later (.accdb)
  Unknown,     // readable, but none of the above (an empty file too)
  Missing,     // no such file
  Directory,   // a folder, not a file
  Unreadable,  // there, but it cannot be read (permission, I/O error)
};

struct FileProbe {
  FileKind kind = FileKind::Unknown;
  std::string detail;  // the system's words when the file could not be read
};

// Reads at most the first page's header of `path`. Never throws.
FileProbe ProbeFile(const std::filesystem::path& path);

bool IsAccessKind(FileKind kind);

// The designer's name for a kind ("Access 2000-2003 数据库", ...).
std::string FileKindName(FileKind kind);

}  // namespace hdmjm
