#include "app/project_start.h"

#include <QSettings>
#include <QStringList>

namespace hdmjm {
namespace {

const QString kRecentKey = QStringLiteral("recentProjects");
constexpr qsizetype kRecentRoom = 8;

bool Openable(const ProjectLocation& location) {
  return location.kind == ProjectLocation::Kind::Folder ||
         location.kind == ProjectLocation::Kind::SchemeFile;
}

}  // namespace

std::vector<std::string> RecentProjects::List() const {
  std::vector<std::string> paths;
  for (const QString& path : QSettings().value(kRecentKey).toStringList())
    paths.push_back(path.toStdString());
  return paths;
}

void RecentProjects::Remember(const std::string& path) const {
  QSettings settings;
  QStringList paths = settings.value(kRecentKey).toStringList();
  const QString entry = QString::fromStdString(path);
  paths.removeAll(entry);
  paths.prepend(entry);
  settings.setValue(kRecentKey, paths.mid(0, kRecentRoom));
}

ProjectPaths StartingProject(const std::optional<std::string>& argument,
                             const std::filesystem::path& installRoot,
                             const std::vector<std::string>& recent, UserMessages& messages) {
  if (argument) {
    const ProjectLocation location = LocateProject(*argument);
    if (!Openable(location)) messages.Show(LocationProblem(location));
    return OpenedProject(location);
  }
  if (HasWorkdir(installRoot)) return ProjectPaths{};
  // A project opened last that is gone now is not what the designer asked for: no message.
  if (!recent.empty()) return OpenedProject(LocateProject(recent.front()));
  return OpenedProject({});
}

}  // namespace hdmjm
