#include "slopes/slope_template.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <system_error>

#include "store/codec.h"
#include "store/field_text.h"

namespace hdmjm {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads numbers one after another the way "%d" and "%lf" scans do: blanks and line breaks of
// any kind are skipped, a number ends where its text ends.
class NumberStream {
 public:
  explicit NumberStream(std::string_view text) : text_(text) {}

  std::optional<long long> Integer() {
    long long value = 0;
    if (!Scan(value)) return std::nullopt;
    return value;
  }

  std::optional<double> Real() {
    double value = 0;
    if (!Scan(value)) return std::nullopt;
    return value;
  }

 private:
  template <typename Number>
  bool Scan(Number& value) {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    std::size_t start = at_;
    // from_chars takes a minus sign but no plus sign; a scan takes both.
    if (start < text_.size() && text_[start] == '+') {
      ++start;
      if (start < text_.size() && text_[start] == '-') return false;
    }
    const char* first = text_.data() + start;
    const auto result = std::from_chars(first, text_.data() + text_.size(), value);
    if (result.ec != std::errc()) return false;
    at_ = static_cast<std::size_t>(result.ptr - text_.data());
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// In the order of SlopePage.
constexpr SlopeTemplateNames kTemplateNames[] = {
    {"左路堤边坡模版", "左路堤边坡模版", "左路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
     "左路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", true},
    {"右路堤边坡模版基线", "右路堤边坡模版", "路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
     "右路堤边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", true},
    {"左路堑边坡模版基线", "左路堑边坡模版基线", "左路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
     "左路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", false},
    {"右路堑边坡模版", "右路堑边坡模版", "右路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||",
     "右路堑边坡模板文件(*.mb)|*.mb|(*.*)|*.*||", true},
};

std::string FileMessage(const std::filesystem::path& path, const std::string& what) {
  return "边坡模板文件" + path.string() + ": " + what;
}

}  // namespace

const SlopeTemplateNames& TemplateNames(SlopePage page) {
  return kTemplateNames[static_cast<int>(page)];
}

std::string ProposedTemplatePath(const ProjectPaths& paths, std::string_view stem,
                                 double endStation) {
  return DataFolder(paths) + "/" + std::string(stem) + FormatFixed(endStation, 0) +
         std::string(kTemplateExtension);
}

std::string FormatSlopeTemplate(std::span<const SlopeLevel> levels) {
  std::string text = std::to_string(levels.size()) + "\n";
  for (const SlopeLevel& level : levels) {
    for (double value : {level.ratio, level.maxHeight, level.bermWidth, level.bermSlope})
      text += FormatFixed(value, 3) + " ";
    text += "\n";
  }
  return text;
}

std::variant<SlopeTemplate, std::string> ParseSlopeTemplate(std::string_view text) {
  NumberStream numbers(text);
  const auto count = numbers.Integer();
  if (!count) return std::string("文件开头没有0到30之间的边坡级数!");
  if (*count < 0 || *count > kMaxSlopeLevels)
    return "边坡级数为" + std::to_string(*count) + ", 应在0到" + std::to_string(kMaxSlopeLevels) +
           "之间!";
  SlopeTemplate result;
  result.levels.resize(static_cast<std::size_t>(*count));
  const int expected = static_cast<int>(*count) * 4;
  int read = 0;
  for (SlopeLevel& level : result.levels) {
    for (double* field : {&level.ratio, &level.maxHeight, &level.bermWidth, &level.bermSlope}) {
      const auto value = numbers.Real();
      if (!value)
        return "边坡级数为" + std::to_string(*count) + ", 应有" + std::to_string(expected) +
               "个数值, 只读到" + std::to_string(read) + "个!";
      *field = *value;
      ++read;
    }
  }
  return result;
}

bool SaveSlopeTemplate(const std::filesystem::path& path, std::span<const SlopeLevel> levels) {
  return WriteTextFile(path, FormatSlopeTemplate(levels));
}

std::variant<SlopeTemplate, std::string> LoadSlopeTemplate(const std::filesystem::path& path) {
  const auto file = ReadTextFile(path);
  if (!file) return "无法打开边坡模板文件" + path.string() + "!";
  auto parsed = ParseSlopeTemplate(file->text);
  if (const auto* error = std::get_if<std::string>(&parsed)) return FileMessage(path, *error);
  return parsed;
}

void StoreLevels(SlopeSegment& segment, std::span<const SlopeLevel> levels) {
  const std::size_t count = std::min<std::size_t>(levels.size(), kMaxSlopeLevels);
  segment.levelCount = static_cast<int>(count);
  segment.levels.AssignFirst(levels.first(count));
}

std::string WithTemplateExtension(const std::string& path) {
  if (path.empty() || std::filesystem::path(path).has_extension()) return path;
  return path + std::string(kTemplateExtension);
}

namespace {

// Re-reads the project paths when the page does, then shows the page's dialog for saving or
// importing with the name proposed for the segment's end station.
std::optional<std::string> AskForTemplate(const SlopeTemplateContext& context, bool save,
                                          double endStation) {
  const SlopeTemplateNames& names = TemplateNames(context.page);
  if (!save || names.resolvePathsOnSave)
    ResolveProjectPaths(context.installRoot, context.paths, context.messages);
  const std::string initial =
      ProposedTemplatePath(context.paths, save ? names.saveStem : names.importStem, endStation);
  if (save)
    return context.files.ChooseSaveFile(std::string(kSaveTemplateTitle), initial,
                                        std::string(names.saveFilter));
  return context.files.ChooseOpenFile(std::string(kImportTemplateTitle), initial,
                                      std::string(names.importFilter));
}

}  // namespace

TemplateOutcome SaveTemplateFlow(const SlopeTemplateContext& context, SlopeSegment& segment,
                                 std::span<const SlopeLevel> gridLevels) {
  const auto chosen = AskForTemplate(context, true, segment.endStation);
  if (!chosen) return TemplateOutcome::Cancelled;
  if (gridLevels.size() > static_cast<std::size_t>(kMaxSlopeLevels)) {
    context.messages.Show(std::string(kTooManyLevels));
    return TemplateOutcome::Failed;
  }
  StoreLevels(segment, gridLevels);
  const std::string path = WithTemplateExtension(*chosen);
  if (!SaveSlopeTemplate(path, gridLevels)) {
    context.messages.Show("无法写入边坡模板文件" + path + "!");
    return TemplateOutcome::Failed;
  }
  return TemplateOutcome::Done;
}

TemplateOutcome ImportTemplateFlow(const SlopeTemplateContext& context, SlopeSegment& segment) {
  const auto chosen = AskForTemplate(context, false, segment.endStation);
  if (!chosen) return TemplateOutcome::Cancelled;
  // A name typed without extension means the .mb file, unless a file of that very name exists.
  std::string path = *chosen;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) path = WithTemplateExtension(path);
  auto loaded = LoadSlopeTemplate(path);
  if (const auto* message = std::get_if<std::string>(&loaded)) {
    context.messages.Show(*message);
    return TemplateOutcome::Failed;
  }
  StoreLevels(segment, std::get<SlopeTemplate>(loaded).levels);
  return TemplateOutcome::Done;
}

}  // namespace hdmjm
