#include "land_type_list.h"

#include <algorithm>
#include <charconv>

namespace hdmjm {
namespace {

std::string CannotRead(const std::filesystem::path& path) {
  return "无法读取用地类型文件" + path.string() + "!";
}
std::string CannotWrite(const std::filesystem::path& path) {
  return "无法写入用地类型文件" + path.string() + "!";
}

}  // namespace

std::vector<std::string> ParseLandTypeList(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  // The next blank-separated word of what is left of the text.
  const auto next = [&] {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    std::size_t end = 0;
    while (end < text.size() && !blank(text[end])) ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
  };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  if (text.starts_with('+')) text.remove_prefix(1);
  long long count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || count <= 0) return {};
  text.remove_prefix(end - text.data());
  std::vector<std::string> items;
  // The announced count only bounds the loop; the words present decide what is kept.
  for (std::string_view word = next();
       !word.empty() && static_cast<long long>(items.size()) < count; word = next())
    items.emplace_back(word);
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
  bool missing = false;
  if (const auto file = ReadTextFile(path, &missing)) {
    items_ = ParseLandTypeList(file->text);
    encoding_ = file->encoding;
  } else {
    items_.clear();
    encoding_ = TextEncoding::Utf8;
    // A file that is there but cannot be read (a folder, no permission) is left as it is.
    if (!missing)
      messages_->Show(CannotRead(path));
    else if (!WriteTextFile(path, FormatLandTypeList({std::string(kDefaultLandType)})))
      messages_->Show(CannotWrite(path));
  }
  if (items_.empty()) items_.emplace_back(kDefaultLandType);
  return items_;
}

void LandTypeList::Add(const std::string& item) {
  // An empty text is no land-use type, and it would leave the file's count above its words.
  if (item.find_first_not_of(" \t") == std::string::npos) return;
  if (std::find(items_.begin(), items_.end(), item) != items_.end()) return;
  items_.push_back(item);
  const auto path = FilePath();
  if (!path.empty() && !WriteTextFile(path, FormatLandTypeList(items_), encoding_))
    messages_->Show(CannotWrite(path));
}

}  // namespace hdmjm
