#include "failure.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace hdmjm {

FailureCause CauseOf(const AdoError& error) {
  // A write refused by the file system while the file was open shows as an I/O error.
  if ((error.code & 0xff) == SQLITE_IOERR) {
    if (error.systemError == EPERM || error.systemError == EACCES || error.systemError == EROFS)
      return FailureCause::ReadOnly;
    if (error.systemError == ENOSPC) return FailureCause::DiskFull;
  }
  switch (error.code & 0xff) {
    case SQLITE_OK:
      return FailureCause::None;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return FailureCause::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return FailureCause::ReadOnly;
    case SQLITE_FULL:
      return FailureCause::DiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
      return FailureCause::Damaged;
    case SQLITE_NOTADB:
      return FailureCause::NotScheme;
    default:
      return FailureCause::Other;
  }
}

std::string CauseMessage(FailureCause cause, const std::string& detail) {
  std::string text;
  switch (cause) {
    case FailureCause::Locked:
      text = "数据库正被其他程序使用(已锁定)。请关闭那个程序后再试。";
      break;
    case FailureCause::ReadOnly:
      text = "数据库文件是只读的，无法写入。";
      break;
    case FailureCause::DiskFull:
      text = "磁盘已满，无法写入数据库。";
      break;
    case FailureCause::Damaged:
      text = "数据库文件已损坏。";
      break;
    case FailureCause::NotScheme:
      text = "该文件不是方案数据库。";
      break;
    default:
      text = "数据库操作失败。";
      break;
  }
  return detail.empty() ? text : text + "\n详细信息: " + detail;
}

bool StopsEverything(FailureCause cause) {
  return cause != FailureCause::None && cause != FailureCause::Other;
}

namespace {

// Whether the engine's file system may read and write `path`.
bool EngineMayWrite(const std::string& path) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  int writable = 0;
  return vfs->xAccess(vfs, path.c_str(), SQLITE_ACCESS_READWRITE, &writable) == SQLITE_OK &&
         writable != 0;
}

// The immutable and append-only flags, which refuse every write, even the superuser's.
bool WriteProtectedByFlags(const std::string& path) {
#ifdef FS_IOC_GETFLAGS
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  const bool known = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  ::close(fd);
  return known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
#else
  (void)path;
  return false;
#endif
}

std::string SystemWords(const std::string& path) {
  errno = 0;
  if (::access(path.c_str(), W_OK) == 0 || errno == 0) return {};
  return std::string(" (") + std::strerror(errno) + ")";
}

}  // namespace

WriteCheck CheckWritable(const std::string& path) {
  // A missing file is the engine's to report.
  std::error_code missing;
  if (!std::filesystem::exists(path, missing)) return {};
  const std::filesystem::path file(path);
  std::string folder = file.parent_path().string();
  if (folder.empty()) folder = ".";
  if (!EngineMayWrite(path) || WriteProtectedByFlags(path))
    return {FailureCause::ReadOnly, "文件" + path + "不可写入" + SystemWords(path)};
  if (!EngineMayWrite(folder) || WriteProtectedByFlags(folder))
    return {FailureCause::ReadOnly, "文件夹" + folder + "不可写入" + SystemWords(folder)};
  return {};
}

FailureCause WriteFailureCause(const AdoError& error, const std::string& path,
                               std::string& detail) {
  FailureCause cause = CauseOf(error);
  detail = error.text;
  const int code = error.code & 0xff;
  if (cause == FailureCause::ReadOnly || code == SQLITE_IOERR || code == SQLITE_CANTOPEN ||
      code == SQLITE_CORRUPT) {
    const WriteCheck check = CheckWritable(path);
    if (check.cause != FailureCause::None) {
      cause = check.cause;
      detail = check.detail;
    }
  }
  return cause == FailureCause::None ? FailureCause::Other : cause;
}

}  // namespace hdmjm
