#include "station_checks.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "check_view.h"
#include "field_text.h"

namespace hdmjm {
namespace {

bool Names(const std::string& column, std::initializer_list<std::string_view> words) {
  return std::ranges::any_of(words,
                             [&](std::string_view w) { return column.find(w) != column.npos; });
}

// Whether the road gets rows of this table when the database has none.
bool NeedsRows(const TableDesc& table) {
  static RoadSectionStore scratch;
  table.SetDefault(scratch, kLeft, 0, 1);
  return table.RowCount(scratch, kLeft) > 0;
}

// Read in the sweep that takes a slope table's stations, so that the slope rules, each a sweep
// of its own, only read the levels of a table where one of them may find something.
bool LevelsPlain(const SlopeSegment& segment, bool cut) {
  const int count = segment.levelCount;
  if (count < 1 || count > kMaxSlopeLevels) return false;
  // A level in use but not held is a zero level, never plain; the sweep reads the held ones.
  const std::span<const SlopeLevel> levels = segment.levels.Span();
  if (static_cast<int>(levels.size()) < count) return false;
  // The least ratio, berm and height, and a sum that is not a number when any value is not
  // finite; a sweep without branches.
  double least = 0, lowest = 1, sum = 0;
  for (int i = 0; i < count; ++i) {
    const SlopeLevel& level = levels[i];
    least = std::min(least, std::min(level.ratio, level.bermWidth));
    lowest = std::min(lowest, level.maxHeight);
    sum += (level.ratio + level.maxHeight) * 0 + (level.bermWidth + level.bermSlope) * 0;
  }
  if (least < 0 || !std::isfinite(sum)) return false;
  if (lowest > 0) return true;
  // Only a cut's last height limit may be negative: the radius of its arc.
  const double last = levels[count - 1].maxHeight;
  if (!cut || !(last < 0)) return false;
  for (int i = 0; i + 1 < count; ++i)
    if (!(levels[i].maxHeight > 0)) return false;
  return true;
}

TableFacts FactsOf(const TableDesc& table, Side side) {
  TableFacts facts;
  facts.table = &table;
  facts.side = side;
  facts.stations = StationColumnsOf(table, side);
  facts.needsRows = NeedsRows(table);
  if (table.IsSlope()) {  // its levels are read as levels; the image holds the end stations
    facts.reals = {facts.stations.end};
    return facts;
  }
  const auto& columns = table.DataColumns(side);
  facts.radius = table.ColumnIndex(side, kRadiusColumn);
  facts.ditch = facts.radius >= 0;
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    if (columns[c].kind != FieldKind::Real) continue;
    facts.reals.push_back(c);
    const std::string& name = columns[c].name;
    if (Names(name, {"宽", "厚"}) || (facts.ditch && Names(name, {"深"}))) facts.sizes.push_back(c);
    if (Names(name, {"百分比"})) facts.shares.push_back(c);
  }
  for (std::string_view width : RadiusWidthColumns(table))
    facts.radiusWidths.push_back(table.ColumnIndex(side, width));
  return facts;
}

TableImage ImageOf(const RoadSectionStore& record, const TableFacts& facts) {
  TableImage image;
  image.facts = &facts;
  const TableDesc& table = *facts.table;
  image.position.assign(table.DataColumns(facts.side).size(), -1);
  for (size_t k = 0; k < facts.reals.size(); ++k)
    image.position[facts.reals[k]] = static_cast<int>(k);
  if (table.IsSlope()) {
    const bool cut = table.BaseName() == kCutSlopeTable;
    for (const SlopeSegment& segment : SlopeSegmentsOf(record, table, facts.side)) {
      image.values.push_back(segment.endStation);
      image.levelsPlain = image.levelsPlain && LevelsPlain(segment, cut);
    }
    image.rows = static_cast<int>(image.values.size());
  } else {
    image.rows = table.RowCount(record, facts.side);
    image.values.reserve(static_cast<size_t>(image.rows) * facts.reals.size());
    table.GetReals(record, facts.side, facts.reals, image.values);
  }
  double sum = 0;  // not a number when any value is infinite or not a number
  double least = 0;
  for (double value : image.values) {
    sum += value * 0;
    least = std::min(least, value);
  }
  image.allFinite = std::isfinite(sum);
  image.noneNegative = least == 0;
  return image;
}

// "%1" to "%4" replaced by the values; a value the finding lacks leaves its mark.
std::string Fill(std::string_view text, const Finding& finding) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const int index = i + 1 < text.size() && text[i] == '%' ? text[i + 1] - '1' : -1;
    if (index >= 0 && index < finding.valueCount) {
      out += FormatCellNumber(finding.values[index]);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

const std::vector<TableFacts>& AllTableFacts() {
  static const std::vector<TableFacts> facts = [] {
    std::vector<TableFacts> all;
    for (const TableDesc* table : AllTables()) {
      if (table->Scope() == TableScope::Scheme) {
        all.push_back(FactsOf(*table, kLeft));
        continue;
      }
      for (Side side : {kLeft, kRight}) {
        all.push_back(FactsOf(*table, side));
        if (table->Scope() != TableScope::Side) break;
      }
    }
    return all;
  }();
  return facts;
}

std::vector<ChainGap> ChainGaps(const std::vector<ChainBreakRow>& breaks) {
  std::vector<ChainGap> gaps;
  for (size_t i = 1; i + 1 < breaks.size(); ++i)
    if (breaks[i].rightStation > breaks[i].leftStation)
      gaps.push_back({breaks[i].leftStation, breaks[i].rightStation});
  return gaps;
}

std::span<const SlopeSegment> SlopeSegmentsOf(const RoadSectionStore& record,
                                              const TableDesc& table, Side side) {
  const SlopeTable& slopes =
      table.BaseName() == kCutSlopeTable ? record.cutSlopes[side] : record.embankmentSlopes[side];
  return slopes.rows;
}

int LevelsInUse(const SlopeSegment& segment) {
  return std::clamp(segment.levelCount, 0, kMaxSlopeLevels);
}

int LevelColumn(const TableDesc& table, int level, std::string_view suffix) {
  return table.ColumnIndex(kLeft, std::to_string(level + 1).append(suffix));
}

void AddFinding(Findings& found, const RoadView& road, const CheckRule& rule,
                const TableFacts& facts, int row, int column,
                std::initializer_list<double> values) {
  Finding& finding = found.emplace_back();
  finding.rule = &rule;
  finding.road = road.record.roadName;
  finding.table = facts.table;
  finding.side = facts.side;
  finding.row = row;
  finding.column = column;
  for (double value : values)
    if (finding.valueCount < static_cast<int>(finding.values.size()))
      finding.values[finding.valueCount++] = value;
}

Findings CheckRoad(const RoadSectionStore& record) {
  RoadView road{record, RoadExtentOf(record.chainBreaks), ChainGaps(record.chainBreaks), {}};
  const auto& facts = AllTableFacts();
  road.images.reserve(facts.size());
  for (const TableFacts& table : facts) road.images.push_back(ImageOf(record, table));
  Findings found;
  found.reserve(64);
  for (const CheckRule& rule : CheckRules()) rule.check(road, rule, found);
  return found;
}

std::string TableNameOf(const Finding& finding) {
  return finding.table ? finding.table->Name(finding.side) : std::string();
}

std::string ColumnNameOf(const Finding& finding) {
  if (!finding.table || finding.column < 0) return {};
  const auto& columns = finding.table->DataColumns(finding.side);
  return finding.column < static_cast<int>(columns.size()) ? columns[finding.column].name : "";
}

std::string FindingText(const Finding& finding) { return Fill(finding.rule->text, finding); }

std::string_view SeverityText(Severity severity) {
  return severity == Severity::Error ? "错误" : "警告";
}

std::string FindingLine(const Finding& finding) {
  std::string line = finding.road + " " + TableNameOf(finding);
  if (finding.row > 0) line += " 第" + std::to_string(finding.row) + "行";
  if (const std::string column = ColumnNameOf(finding); !column.empty()) line += " " + column;
  return line.append(": ").append(SeverityText(finding.GetSeverity())) + ": " +
         FindingText(finding);
}

int CountOf(const Findings& findings, Severity severity) {
  return static_cast<int>(std::ranges::count(findings, severity, &Finding::GetSeverity));
}

}  // namespace hdmjm
