// A new, empty scheme database for a project that has none yet.
#pragma once

#include <string>

#include "services.h"

namespace hdmjm {

// Creates the scheme file at `path` (and its folder) holding 断链表 with one road, 主线, whose
// tables the designer fills in; the parameter tables are made by the first save. An existing
// file is never touched. False, after telling the designer why, when nothing was created.
bool CreateEmptyScheme(const std::string& path, UserMessages& messages);

}  // namespace hdmjm
