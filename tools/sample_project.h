// The sample project of `hdmjm-tool sample`: a project file naming the scheme and a scheme
// database with three roads and realistic parameter rows, saved the way the program saves them.
#pragma once

#include <filesystem>

#include "store/services.h"

namespace hdmjm::tool {

inline constexpr char kSampleScheme[] = "示例方案";

// Writes DIR/改移道路/project and DIR/改移道路/data/示例方案.mdb. An existing sample database is
// left alone. False, after telling the designer why, when anything was not written.
bool WriteSampleProject(const std::filesystem::path& dir, const Services& services);

}  // namespace hdmjm::tool
