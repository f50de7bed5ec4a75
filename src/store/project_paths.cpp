#include "project_paths.h"

#include <algorithm>
#include <system_error>

#include "codec.h"

namespace hdmjm {
namespace {

constexpr const char* kNoProjectMessage = "您还没有设定项目名称!";
constexpr const char* kNoSchemeMessage = "您还没有指定设计方案名称!";

// The first token of a text file; empty when the file is missing or holds none.
std::string FileToken(const std::filesystem::path& path) {
  const auto file = ReadTextFile(path);
  return file ? FirstToken(file->text) : std::string();
}

}  // namespace

std::filesystem::path InstallRoot() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return executable.parent_path();
}

bool ResolveProjectPaths(const std::filesystem::path& installRoot, ProjectPaths& paths,
                         UserMessages& messages) {
  // A file that holds no token names nothing: it counts as missing.
  const std::string base = FileToken(installRoot / "workdir");
  if (base.empty()) {
    messages.Show(kNoProjectMessage);
    paths.projectFolder.clear();
    return false;
  }
  paths.projectFolder = base + "/改移道路";
  std::replace(paths.projectFolder.begin(), paths.projectFolder.end(), '$', ' ');
  const std::string scheme = FileToken(std::filesystem::path(paths.projectFolder) / "project");
  if (scheme.empty()) {
    messages.Show(kNoSchemeMessage);
    return false;
  }
  paths.schemeName = scheme;
  return true;
}

std::string DataFolder(const ProjectPaths& paths) { return paths.projectFolder + "/data"; }

std::string SchemeDatabasePath(const ProjectPaths& paths) {
  return DataFolder(paths) + "/" + paths.schemeName + ".mdb";
}

std::string LandTypeListPath(const ProjectPaths& paths) {
  return DataFolder(paths) + "/ydlx." + paths.schemeName;
}

std::string WorkdirToken(const std::string& folder) {
  std::string token = folder;
  std::replace(token.begin(), token.end(), ' ', '$');
  return token;
}

}  // namespace hdmjm
