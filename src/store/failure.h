// Why the database could not be read or written, in the plain words the designer is told.
#pragma once

#include <string>

#include "ado.h"

namespace hdmjm {

enum class FailureCause { None, Locked, ReadOnly, DiskFull, Damaged, NotScheme, Other };
FailureCause CauseOf(const AdoError& error);
// The plain words for a cause, with the engine's text as the detail.
std::string CauseMessage(FailureCause cause, const std::string& detail);
// A lock that outlasted the wait, a read-only file, a full disk, a damaged or foreign file: no use
// going on with the next table or road.
bool StopsEverything(FailureCause cause);

// What the file system says about writing the database file at `path`: ReadOnly, with the
// words for it, when the file or its folder cannot be written (permissions, the immutable or
// append-only flag, a read-only mount); None when both can, or when there is no such file.
// Asked through the engine's file system layer, so that it answers as the engine will find it.
struct WriteCheck {
  FailureCause cause = FailureCause::None;
  std::string detail;
};
WriteCheck CheckWritable(const std::string& path);
// The cause of a failed write, named as it is: an engine failure that a file or folder which
// cannot be written explains (an I/O error, a file that "cannot be opened") is ReadOnly, not
// Damaged.
FailureCause WriteFailureCause(const AdoError& error, const std::string& path, std::string& detail);

}  // namespace hdmjm
