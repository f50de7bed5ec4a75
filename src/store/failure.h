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

}  // namespace hdmjm
