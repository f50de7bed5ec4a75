// Checks of a road's tables against its stations and of values that cannot be right: pure
// functions over a record. The rules, their severities and their texts are one table of data
// (CheckRules), each entry naming the small function that finds it; the program's findings
// window, its strip view and `hdmjm-tool check` all show these findings.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"

namespace hdmjm {

// Error: the sections would be wrong or undefined. Warning: probably a typo.
enum class Severity { Error, Warning };

struct Finding;
struct CheckRule;
struct RoadView;  // what the rules read of one road
using Findings = std::vector<Finding>;
using CheckFunction = void (*)(const RoadView& road, const CheckRule& rule, Findings& found);

struct CheckRule {
  std::string_view name;  // how the tool's JSON names it, e.g. "segment-order"
  Severity severity;
  std::string_view text;  // %1 to %4 stand for the finding's values
  CheckFunction check;
};

// Every rule, in the order CheckRoad applies them.
std::span<const CheckRule> CheckRules();

struct Finding {
  const CheckRule* rule = nullptr;
  std::string road;
  const TableDesc* table = nullptr;  // 断链表 for its own rows
  Side side = kLeft;
  int row = 0;      // counted from 1, as the page numbers it; 0: the table as a whole
  int column = -1;  // data column (index among the table's DataColumns); -1: none
  std::array<double, 4> values{};
  int valueCount = 0;
  Severity GetSeverity() const { return rule->severity; }
};

// Every finding of the road, rule after rule, each rule's in table order.
Findings CheckRoad(const RoadSectionStore& record);

std::string TableNameOf(const Finding& finding);   // 左横断面限制宽度
std::string ColumnNameOf(const Finding& finding);  // empty without a column
std::string FindingText(const Finding& finding);   // the rule's text with the values put in
std::string_view SeverityText(Severity severity);  // 错误 / 警告
// "主线 左横断面限制宽度 第3行 分段终里程: 错误: 分段终里程1250不大于上一行的12000"
std::string FindingLine(const Finding& finding);
int CountOf(const Findings& findings, Severity severity);

}  // namespace hdmjm
