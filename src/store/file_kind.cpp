#include "file_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace hdmjm {
namespace {

constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};
// An Access file starts with 00 01 00 00, the engine's name at byte 4 and its version at 0x14.
constexpr std::string_view kJetStart{"\0\1\0\0", 4};
constexpr std::string_view kJetName{"Standard Jet DB\0", 16};
constexpr std::string_view kAceName{"Standard ACE DB\0", 16};
constexpr std::size_t kNameAt = 4;
constexpr std::size_t kVersionAt = 0x14;

FileKind AccessKind(std::string_view head) {
  if (head.size() <= kVersionAt || head.substr(0, kJetStart.size()) != kJetStart)
    return FileKind::Unknown;
  const std::string_view name = head.substr(kNameAt, kJetName.size());
  const auto version = static_cast<unsigned char>(head[kVersionAt]);
  if (name == kJetName && version == 0) return FileKind::Jet3;
  if (name == kJetName && version == 1) return FileKind::Jet4;
  if ((name == kAceName || name == kJetName) && version >= 2) return FileKind::Ace;
  return FileKind::Unknown;
}

FileProbe Unreadable(int error) { return {FileKind::Unreadable, std::strerror(error)}; }

}  // namespace

FileProbe ProbeFile(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0)
    return errno == ENOENT || errno == ENOTDIR ? FileProbe{FileKind::Missing, std::strerror(errno)}
                                               : Unreadable(errno);
  if (S_ISDIR(info.st_mode)) return {FileKind::Directory, {}};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Unreadable(errno);
  std::array<char, 32> head{};
  ssize_t got = 0;
  do {
    got = ::read(fd, head.data(), head.size());
  } while (got < 0 && errno == EINTR);
  const int readError = errno;
  ::close(fd);
  if (got < 0) return Unreadable(readError);
  const std::string_view bytes(head.data(), static_cast<std::size_t>(got));
  if (bytes.substr(0, kSqliteMagic.size()) == kSqliteMagic) return {FileKind::Sqlite, {}};
  return {AccessKind(bytes), {}};
}

bool IsAccessKind(FileKind kind) {
  return kind == FileKind::Jet3 || kind == FileKind::Jet4 || kind == FileKind::Ace;
}

std::string FileKindName(FileKind kind) {
  switch (kind) {
    case FileKind::Sqlite:
      return "SQLite 数据库";
    case FileKind::Jet3:
      return "Access 97 数据库";
    case FileKind::Jet4:
      return "Access 2000-2003 数据库";
    case FileKind::Ace:
      return "Access 2007 及以后版本的数据库";
    case FileKind::Missing:
      return "不存在的文件";
    case FileKind::Directory:
      return "文件夹";
    case FileKind::Unreadable:
      return "无法读取的文件";
    case FileKind::Unknown:
      break;
  }
  return "未知格式的文件";
}

}  // namespace hdmjm
