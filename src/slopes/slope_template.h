// Slope template files (*.mb): the levels of one slope segment in a small text file, so that a
// standard slope design can be reused on other segments, roads and projects. A file holds the
// level count on its first line and then one line per level with its slope ratio, height limit,
// berm width and berm cross slope, each with three decimals and a blank:
//   3
//   1.500 8.000 1.000 0.000
// Reading takes the file as a stream of numbers, so spacing and line breaks do not matter. Any
// slope page reads a file written on any other. No Qt here.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "slopes/slope_page_kind.h"
#include "store/project_paths.h"
#include "store/records.h"
#include "store/services.h"

namespace hdmjm {

inline constexpr std::string_view kSaveTemplateTitle = "选择要保存的边坡模板文件名";
inline constexpr std::string_view kImportTemplateTitle = "选择要导入的边坡模板文件名";
inline constexpr std::string_view kTemplateExtension = ".mb";

// The designer's limits on the levels of a segment and the segments of a table.
inline constexpr std::string_view kTooManyLevels = "每个分段最多30级边坡!";
inline constexpr std::string_view kTooManySegments = "每侧最多300个分段!";

// What a slope page proposes and offers in its template dialogs.
struct SlopeTemplateNames {
  std::string_view saveStem;  // file name before the rounded end station, e.g. "左路堤边坡模版"
  std::string_view importStem;
  std::string_view saveFilter;  // "text|pattern|text|pattern||" as FileChooser takes it
  std::string_view importFilter;
  bool resolvePathsOnSave;  // the left cut page saves into the project folder as last read
};

const SlopeTemplateNames& TemplateNames(SlopePage page);

// projectFolder/data/<stem><end station rounded to a whole number>.mb; 1234.56 gives "1235".
std::string ProposedTemplatePath(const ProjectPaths& paths, std::string_view stem,
                                 double endStation);

// The file's text: "%d\n", then per level the four values as "%0.3lf " and "\n", whatever the
// locale. Only the first `levels.size()` levels are written.
std::string FormatSlopeTemplate(std::span<const SlopeLevel> levels);

struct SlopeTemplate {
  std::vector<SlopeLevel> levels;  // at most kMaxSlopeLevels
};

// Reads the numbers of a template text: a level count from 0 to 30, then four values per level.
// On a fault, the error names what is wrong (without the file name).
std::variant<SlopeTemplate, std::string> ParseSlopeTemplate(std::string_view text);

// Writes a template file (UTF-8/ASCII, replacing the file). False when it cannot be written.
bool SaveSlopeTemplate(const std::filesystem::path& path, std::span<const SlopeLevel> levels);

// Reads a template file, UTF-8 or GBK. On a fault, a message for the designer naming the file
// and what is wrong.
std::variant<SlopeTemplate, std::string> LoadSlopeTemplate(const std::filesystem::path& path);

// Stores the levels into a segment: its level count and its first levels; later slots keep what
// they held. At most kMaxSlopeLevels are taken.
void StoreLevels(SlopeSegment& segment, std::span<const SlopeLevel> levels);

// A name typed without extension gets ".mb".
std::string WithTemplateExtension(const std::string& path);

// What the template buttons of a slope page work with.
struct SlopeTemplateContext {
  SlopePage page;
  const std::filesystem::path& installRoot;
  ProjectPaths& paths;  // re-read before a path is proposed, as the page requires
  FileChooser& files;
  UserMessages& messages;
};

enum class TemplateOutcome {
  Cancelled,  // the designer cancelled the dialog: nothing changed
  Done,       // the file was written / read and the segment holds the levels
  Failed,     // the designer was told why; see each function for what changed
};

// "存为模板" after the page has stored the focused row's end station into `segment`: proposes
// the page's save name for that station, asks for a file, stores `gridLevels` (the level grid's
// values) into `segment` as "录入参数" does, and writes them to the file. Failed when the file
// cannot be written (the segment still takes the levels) or the grid holds more than 30 levels
// (nothing is stored or written).
TemplateOutcome SaveTemplateFlow(const SlopeTemplateContext& context, SlopeSegment& segment,
                                 std::span<const SlopeLevel> gridLevels);

// "导入模板" after the page has stored the focused row's end station into `segment`: proposes
// the page's import name, asks for a file, reads and checks the whole file, and on success puts
// its levels into `segment`; the page then shows them in the level grid. On a fault the segment
// stays as it was and the designer is told which file and what is wrong.
TemplateOutcome ImportTemplateFlow(const SlopeTemplateContext& context, SlopeSegment& segment);

}  // namespace hdmjm
