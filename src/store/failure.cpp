#include "failure.h"

#include <sqlite3.h>

#include <cerrno>

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

}  // namespace hdmjm
