// Where the project folder, the scheme name and every data file are found. Every name of the
// project's layout on disk is spelt here, once.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "services.h"

namespace hdmjm {

// What names the current project: the workdir file next to the executable (the suite's way), a
// project folder or a scheme file the designer opened, or nothing at all.
enum class ProjectSource { Workdir, Folder, SchemeFile, None };

struct ProjectPaths {
  std::string projectFolder;  // base folder from the workdir file + "/改移道路", or the one opened
  std::string schemeName;
  ProjectSource source = ProjectSource::Workdir;
  std::string opened = {};  // the project folder or the scheme file the designer opened
};

// What a path the designer gave names: a project (its base folder, which holds "改移道路", or
// the project folder itself), a scheme file, or nothing that can be opened.
struct ProjectLocation {
  enum class Kind { Folder, SchemeFile, Missing, Unreadable };
  Kind kind = Kind::Missing;
  std::string path;  // absolute: the project folder, the scheme file, or the path as given
};
ProjectLocation LocateProject(const std::filesystem::path& given);
// The paths of a project folder or a scheme file that was located; source None otherwise.
ProjectPaths OpenedProject(const ProjectLocation& location);
// What is wrong with a location that is Missing or Unreadable, for the designer.
std::string LocationProblem(const ProjectLocation& location);

// The folder of the running executable, case kept.
std::filesystem::path InstallRoot();
std::filesystem::path WorkdirFile(const std::filesystem::path& installRoot);
// True when the workdir file next to the executable names a folder.
bool HasWorkdir(const std::filesystem::path& installRoot);
std::filesystem::path ProjectFolderOf(const std::filesystem::path& baseFolder);
std::filesystem::path ProjectFile(const std::filesystem::path& projectFolder);

// Re-reads what names the project (the workdir file and the project file, or the opened folder's
// project file). True when the scheme is known; otherwise the designer is told what is missing
// and where, and the strings change as the program has always changed them.
bool ResolveProjectPaths(const std::filesystem::path& installRoot, ProjectPaths& paths,
                         UserMessages& messages);

// A scheme name is a file name in the data folder, never a path: no "/", "\" or "..".
bool IsPlainSchemeName(std::string_view name);

std::string SchemeDatabasePath(const ProjectPaths& paths);  // folder/data/scheme.mdb
std::string LandTypeListPath(const ProjectPaths& paths);    // folder/data/ydlx.scheme
std::string DataFolder(const ProjectPaths& paths);          // folder/data

// The workdir token for a folder: every space written as "$".
std::string WorkdirToken(const std::string& folder);

}  // namespace hdmjm
