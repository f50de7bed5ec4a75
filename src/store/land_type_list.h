// The project's land-use type list, offered by the "用地类型" column of the land-use type page
// and kept in the text file data/ydlx.<scheme>: the item count on the first line, then one item
// per line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "codec.h"
#include "project_paths.h"
#include "services.h"

namespace hdmjm {

inline constexpr std::string_view kDefaultLandType = "水稻田";

// The count, then that many blank-separated words; a file holding fewer words yields those.
std::vector<std::string> ParseLandTypeList(std::string_view text);
std::string FormatLandTypeList(const std::vector<std::string>& items);

class LandTypeList {
 public:
  // Without a context the list lives in memory only. The pointers must outlive the list.
  void SetContext(std::filesystem::path installRoot, ProjectPaths* paths, UserMessages* messages);

  // The list for one editing, never empty: the file's items, or the default item when it has
  // none. A missing file is created holding the default item; a file that is there but cannot
  // be read, or one that cannot be written, is said to the designer.
  const std::vector<std::string>& Load();
  // Appends an item that the last loaded list lacks and writes the whole list back to the file.
  void Add(const std::string& item);
  const std::vector<std::string>& Items() const { return items_; }

 private:
  // The file's path, with the project paths resolved afresh; empty without a usable context.
  std::filesystem::path FilePath();

  std::filesystem::path installRoot_;
  ProjectPaths* paths_ = nullptr;
  UserMessages* messages_ = nullptr;
  std::vector<std::string> items_{std::string(kDefaultLandType)};
  TextEncoding encoding_ = TextEncoding::Utf8;
};

}  // namespace hdmjm
