#include "project_paths.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "codec.h"

namespace hdmjm {
namespace {

namespace fs = std::filesystem;

// The project's layout on disk.
constexpr const char* kWorkdirFileName = "workdir";
constexpr const char* kProjectFolderName = "改移道路";
constexpr const char* kProjectFileName = "project";
constexpr const char* kDataFolderName = "data";
constexpr const char* kSchemeExtension = ".mdb";
constexpr const char* kLandTypeListPrefix = "ydlx.";
constexpr char kSpaceInToken = '$';

constexpr const char* kNoProjectMessage = "您还没有设定项目名称!";
constexpr const char* kNoSchemeMessage = "您还没有指定设计方案名称!";

// The first token of a text file; empty when the file is missing or holds none.
std::string FileToken(const fs::path& path) {
  const auto file = ReadTextFile(path);
  return file ? FirstToken(file->text) : std::string();
}

// What is missing or wrong in a project file (absent when `file` is empty) naming `name`; empty
// when the name can be used.
std::string SchemeNameProblem(const fs::path& projectFile, const std::optional<TextFile>& file,
                              const std::string& name) {
  const std::string where = projectFile.string();
  if (!file) return std::string(kNoSchemeMessage) + "\n缺少项目文件: " + where;
  if (name.empty()) return std::string(kNoSchemeMessage) + "\n项目文件" + where + "中没有方案名。";
  if (!IsPlainSchemeName(name))
    return "项目文件" + where + "中的方案名\"" + name +
           "\"不是单纯的名称(不能含有 /、\\ 或 ..), 没有打开任何方案。";
  return {};
}

bool ReadSchemeName(ProjectPaths& paths, UserMessages& messages) {
  const fs::path file = ProjectFile(paths.projectFolder);
  const auto text = ReadTextFile(file);
  const std::string name = text ? FirstToken(text->text) : std::string();
  if (const std::string problem = SchemeNameProblem(file, text, name); !problem.empty()) {
    messages.Show(problem);
    return false;
  }
  paths.schemeName = name;
  return true;
}

// Reads the workdir file: the project folder is its first token with "$" for each space.
bool ReadWorkdir(const fs::path& installRoot, ProjectPaths& paths, UserMessages& messages) {
  // A file that holds no token names nothing: it counts as missing.
  const std::string base = FileToken(WorkdirFile(installRoot));
  if (base.empty()) {
    messages.Show(kNoProjectMessage);
    paths.projectFolder.clear();
    return false;
  }
  paths.projectFolder = ProjectFolderOf(base).string();
  std::replace(paths.projectFolder.begin(), paths.projectFolder.end(), kSpaceInToken, ' ');
  return true;
}

// An absolute, tidy path without a trailing separator.
fs::path Tidy(const fs::path& given) {
  std::error_code error;
  fs::path path = fs::absolute(given, error).lexically_normal();
  if (error) path = given.lexically_normal();
  if (!path.has_filename() && path.has_parent_path() && path != path.root_path())
    path = path.parent_path();
  return path;
}

bool CanRead(const fs::path& path, bool folder) {
  if (folder) {
    std::error_code error;
    fs::directory_iterator listing(path, error);
    return !error;
  }
  return std::ifstream(path, std::ios::binary).is_open();
}

}  // namespace

ProjectLocation LocateProject(const fs::path& given) {
  const fs::path path = Tidy(given);
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) return {ProjectLocation::Kind::Missing, path};
  const bool folder = fs::is_directory(status);
  if (error || !CanRead(path, folder)) return {ProjectLocation::Kind::Unreadable, path};
  if (!folder) return {ProjectLocation::Kind::SchemeFile, path};
  const fs::path inner = ProjectFolderOf(path);
  return {ProjectLocation::Kind::Folder, fs::is_directory(inner, error) ? inner : path};
}

ProjectPaths OpenedProject(const ProjectLocation& location) {
  ProjectPaths paths;
  paths.opened = location.path;
  switch (location.kind) {
    case ProjectLocation::Kind::Folder:
      paths.source = ProjectSource::Folder;
      paths.projectFolder = location.path;
      break;
    case ProjectLocation::Kind::SchemeFile: {
      paths.source = ProjectSource::SchemeFile;
      const fs::path file(location.path);
      const fs::path data = file.parent_path();
      paths.projectFolder =
          (data.filename() == kDataFolderName ? data.parent_path() : data).string();
      paths.schemeName = file.stem().string();
      break;
    }
    default:
      paths.source = ProjectSource::None;
      paths.opened.clear();
  }
  return paths;
}

std::string LocationProblem(const ProjectLocation& location) {
  if (location.kind == ProjectLocation::Kind::Missing) return "找不到" + location.path + "。";
  if (location.kind == ProjectLocation::Kind::Unreadable) return "无法读取" + location.path + "。";
  return {};
}

fs::path InstallRoot() {
  std::error_code error;
  const auto executable = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::current_path(error);
  return executable.parent_path();
}

fs::path WorkdirFile(const fs::path& installRoot) { return installRoot / kWorkdirFileName; }

bool HasWorkdir(const fs::path& installRoot) {
  return !FileToken(WorkdirFile(installRoot)).empty();
}

fs::path ProjectFolderOf(const fs::path& baseFolder) { return baseFolder / kProjectFolderName; }

fs::path ProjectFile(const fs::path& projectFolder) { return projectFolder / kProjectFileName; }

bool ResolveProjectPaths(const fs::path& installRoot, ProjectPaths& paths, UserMessages& messages) {
  switch (paths.source) {
    case ProjectSource::SchemeFile:
      return true;  // the file is the scheme: nothing to re-read
    case ProjectSource::Folder:
      paths.projectFolder = paths.opened;
      return ReadSchemeName(paths, messages);
    case ProjectSource::Workdir:
      return ReadWorkdir(installRoot, paths, messages) && ReadSchemeName(paths, messages);
    case ProjectSource::None:
      break;
  }
  messages.Show(kNoProjectMessage);
  return false;
}

bool IsPlainSchemeName(std::string_view name) {
  return name.find_first_of("/\\") == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}

std::string DataFolder(const ProjectPaths& paths) {
  if (paths.source == ProjectSource::SchemeFile) return fs::path(paths.opened).parent_path();
  return paths.projectFolder + "/" + kDataFolderName;
}

std::string SchemeDatabasePath(const ProjectPaths& paths) {
  if (paths.source == ProjectSource::SchemeFile) return paths.opened;
  return DataFolder(paths) + "/" + paths.schemeName + kSchemeExtension;
}

std::string LandTypeListPath(const ProjectPaths& paths) {
  return DataFolder(paths) + "/" + kLandTypeListPrefix + paths.schemeName;
}

std::string WorkdirToken(const std::string& folder) {
  std::string token = folder;
  std::replace(token.begin(), token.end(), ' ', kSpaceInToken);
  return token;
}

}  // namespace hdmjm
