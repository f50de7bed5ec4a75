#include "land_type_list.h"

#include <algorithm>
#include <sstream>

namespace hdmjm {

std::vector<std::string> ParseLandTypeList(std::string_view text) {
  std::istringstream in{std::string(text)};
  long long count = 0;
  if (!(in >> count) || count <= 0) return {};
  std::vector<std::string> items;
  std::string word;
  // The announced count only bounds the loop; the words present decide what is kept.
  while (static_cast<long long>(items.size()) < count && in >> word) items.push_back(word);
  return items;
}

std::string FormatLandTypeList(const std::vector<std::string>& items) {
  std::string text = std::to_string(items.size()) + "\n";
  for (const auto& item : items) text += item + "\n";
  return text;
}

void LandTypeList::SetContext(std::filesystem::path installRoot, ProjectPaths* paths,
                              UserMessages* messages) {
  installRoot_ = std::move(installRoot);
  paths_ = paths;
  messages_ = messages;
}

std::filesystem::path LandTypeList::FilePath() {
  if (!paths_ || !messages_) return {};
  if (!ResolveProjectPaths(installRoot_, *paths_, *messages_)) return {};
  return LandTypeListPath(*paths_);
}

const std::vector<std::string>& LandTypeList::Load() {
  const auto path = FilePath();
  if (path.empty()) return items_;
  if (const auto file = ReadTextFile(path)) {
    items_ = ParseLandTypeList(file->text);
    encoding_ = file->encoding;
  } else {
    items_.clear();
    encoding_ = TextEncoding::Utf8;
    WriteTextFile(path, FormatLandTypeList({std::string(kDefaultLandType)}));
  }
  if (items_.empty()) items_.emplace_back(kDefaultLandType);
  return items_;
}

void LandTypeList::Add(const std::string& item) {
  // An empty text is no land-use type, and it would leave the file's count above its words.
  if (item.find_first_not_of(" \t") == std::string::npos) return;
  if (std::find(items_.begin(), items_.end(), item) != items_.end()) return;
  items_.push_back(item);
  if (const auto path = FilePath(); !path.empty())
    WriteTextFile(path, FormatLandTypeList(items_), encoding_);
}

}  // namespace hdmjm
