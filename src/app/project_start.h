// Which project the program starts on, and the projects the designer opened lately.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/project_paths.h"

namespace hdmjm {

// The projects (folders or scheme files) opened lately, most recent first, kept per user in the
// application's settings (QSettings, in the user's configuration folder).
class RecentProjects {
 public:
  std::vector<std::string> List() const;
  // Puts `path` first; the oldest beyond the list's room are forgotten.
  void Remember(const std::string& path) const;
};

// The project named by the command line's `argument`; without one, the workdir file next to the
// executable, then the project opened last. Source None when none of these names one that can
// be opened; an argument that cannot be is told through `messages`.
ProjectPaths StartingProject(const std::optional<std::string>& argument,
                             const std::filesystem::path& installRoot,
                             const std::vector<std::string>& recent, UserMessages& messages);

}  // namespace hdmjm
