// How the catalogue describes a table: one line per column, {definition, field, code set,
// decimals}, for a table held in the record as rows of a plain struct.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "catalogue.h"
#include "field_text.h"
#include "row_hash.h"

namespace hdmjm {

// A field of a row record: where it lives and what kind of value it holds (the variant's index
// is its FieldKind: double Real, int Code, string Text).
template <class Row>
using Member = std::variant<double Row::*, int Row::*, std::string Row::*>;

// One column: its definition as the creation statement writes it, the field it feeds, the
// labels of a coded column, the decimals it is shown with (-1: as FormatCellNumber shows it),
// and the right table's definition where that one spells the column otherwise.
template <class Row>
struct TableColumn {
  std::string_view definition;
  Member<Row> member;
  const CodeSet* codes = nullptr;
  int decimals = -1;
  std::string_view rightDefinition = {};
};

enum TableFlags { kPlain = 0, kRadiusUpgrade = 1, kOptionalLastColumn = 2 };

// Where a table lives in the record: one per side, or one for the whole road.
template <auto member>
auto& BySide(RoadSectionStore& record, Side side) {
  return (record.*member)[side];
}
template <auto member>
auto& Whole(RoadSectionStore& record, Side) {
  return record.*member;
}

template <class Row>
FieldValue GetMember(const Row& row, const Member<Row>& member) {
  return std::visit([&](auto pointer) -> FieldValue { return row.*pointer; }, member);
}

// Stores a value into a field, converted to the field's kind.
template <class Row>
void SetMember(Row& row, const Member<Row>& member, const FieldValue& value) {
  std::visit(
      [&](auto pointer) {
        using T = std::remove_reference_t<decltype(row.*pointer)>;
        if (const T* same = std::get_if<T>(&value))
          row.*pointer = *same;
        else if constexpr (std::is_same_v<T, double>)
          row.*pointer = RealOf(value);
        else if constexpr (std::is_same_v<T, int>)
          row.*pointer = IntOf(value);
        else
          row.*pointer = TextOf(value);
      },
      member);
}

// A table described by its columns: the definitions of one side, and the columns' kinds and
// display given to the description.
template <class Row>
class ColumnsTable : public TableDesc {
 protected:
  ColumnsTable(std::string_view name, TableScope scope, std::vector<TableColumn<Row>> columns)
      : TableDesc(std::string(name), scope, Definitions(columns, kLeft),
                  Definitions(columns, kRight)) {
    std::vector<FieldKind> kinds;
    for (const TableColumn<Row>& column : columns) {
      members_.push_back(column.member);
      kinds.push_back(static_cast<FieldKind>(column.member.index()));
    }
    SetKinds(kinds);
    for (size_t c = 0; c < columns.size(); ++c)
      SetDisplay(static_cast<int>(c), columns[c].codes, columns[c].decimals);
  }

  std::vector<Member<Row>> members_;

 private:
  static std::vector<std::string> Definitions(const std::vector<TableColumn<Row>>& columns,
                                              Side side) {
    std::vector<std::string> definitions;
    for (const TableColumn<Row>& column : columns)
      definitions.emplace_back(side == kRight && !column.rightDefinition.empty()
                                   ? column.rightDefinition
                                   : column.definition);
    return definitions;
  }
};

// A table held as a vector of rows per side (whole-road tables ignore the side).
template <class Row>
class RowTable : public ColumnsTable<Row> {
  using Base = ColumnsTable<Row>;

 public:
  using Access = std::vector<Row>& (*)(RoadSectionStore&, Side);
  using MakeDefault = Row (*)(double start, double end);

  RowTable(std::string_view name, TableScope scope, Access access,
           std::vector<TableColumn<Row>> columns, MakeDefault makeDefault = nullptr,
           int flags = kPlain)
      : Base(name, scope, std::move(columns)), access_(access), makeDefault_(makeDefault) {
    this->hasRadiusUpgrade_ = flags & kRadiusUpgrade;
    this->lastColumnOptional_ = flags & kOptionalLastColumn;
  }

  int RowCount(const RoadSectionStore& store, Side side) const override {
    return static_cast<int>(Of(store, side).size());
  }
  void Resize(RoadSectionStore& store, Side side, int rows) const override {
    access_(store, side).resize(std::max(rows, 0));
  }
  void Fit(RoadSectionStore& store, Side side) const override {
    access_(store, side).shrink_to_fit();
  }
  FieldValue Get(const RoadSectionStore& store, Side side, int row, int column) const override {
    return GetMember(Of(store, side).at(row), this->members_.at(column));
  }
  void Set(RoadSectionStore& store, Side side, int row, int column,
           const FieldValue& value) const override {
    SetMember(access_(store, side).at(row), this->members_.at(column), value);
  }
  void GetReals(const RoadSectionStore& store, Side side, std::span<const int> columns,
                std::vector<double>& out) const override {
    std::vector<double Row::*> reals;
    for (int column : columns) {
      const auto* real = std::get_if<double Row::*>(&this->members_.at(column));
      if (!real) return TableDesc::GetReals(store, side, columns, out);
      reals.push_back(*real);
    }
    for (const Row& row : Of(store, side))
      for (double Row::*real : reals) out.push_back(row.*real);
  }
  std::uint64_t HashRow(const RoadSectionStore& store, Side side, int row) const override {
    const Row& fields = Of(store, side).at(row);
    const int inUse = this->ColumnsInUse(store, side, row);
    RowHasher hasher;
    hasher.Add(inUse);
    for (int c = 0; c < inUse; ++c)
      std::visit([&](auto pointer) { hasher.Add(fields.*pointer); }, this->members_[c]);
    return hasher.Value();
  }
  void SetDefault(RoadSectionStore& store, Side side, double start, double end) const override {
    auto& rows = access_(store, side);
    rows.clear();
    if (makeDefault_) rows.push_back(makeDefault_(start, end));
  }
  void CopySide(RoadSectionStore& store, Side from, Side to) const override {
    if (from != to) access_(store, to) = access_(store, from);
  }
  void ReplaceRows(RoadSectionStore& store, Side side,
                   const std::vector<std::vector<FieldValue>>& rows) const override {
    std::vector<Row> fresh(rows.size());
    const auto& members = this->members_;
    for (size_t row = 0; row < rows.size(); ++row)
      for (size_t column = 0; column < rows[row].size() && column < members.size(); ++column)
        SetMember(fresh[row], members[column], rows[row][column]);
    access_(store, side).swap(fresh);
  }

 private:
  const std::vector<Row>& Of(const RoadSectionStore& store, Side side) const {
    return access_(const_cast<RoadSectionStore&>(store), side);
  }
  Access access_;
  MakeDefault makeDefault_;
};

// The parameter tables, each once, and 断链表.
std::vector<std::unique_ptr<TableDesc>> ParameterTables();
std::unique_ptr<TableDesc> ChainBreakTableDesc();

}  // namespace hdmjm
