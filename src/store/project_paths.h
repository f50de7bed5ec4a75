// Where the project folder, the scheme name and every data file are found.
#pragma once

#include <filesystem>
#include <string>

#include "services.h"

namespace hdmjm {

struct ProjectPaths {
  std::string projectFolder;  // base folder from the workdir file + "/改移道路"
  std::string schemeName;
};

// The folder of the running executable, case kept.
std::filesystem::path InstallRoot();

// Re-reads installRoot/workdir and projectFolder/project. True when both were read; on failure
// the designer is told and the strings change as the program has always changed them.
bool ResolveProjectPaths(const std::filesystem::path& installRoot, ProjectPaths& paths,
                         UserMessages& messages);

std::string SchemeDatabasePath(const ProjectPaths& paths);  // folder/data/scheme.mdb
std::string LandTypeListPath(const ProjectPaths& paths);    // folder/data/ydlx.scheme
std::string DataFolder(const ProjectPaths& paths);          // folder/data

// The workdir token for a folder: every space written as "$".
std::string WorkdirToken(const std::string& folder);

}  // namespace hdmjm
