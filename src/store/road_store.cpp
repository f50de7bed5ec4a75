#include <algorithm>
#include <cstdint>

#include "catalogue.h"
#include "messages.h"
#include "records.h"

namespace hdmjm {

namespace {


std::string RadiusUpgradeStatement(const std::string& table) {
  return "ALTER   TABLE   " + table + "   ADD  沟底半径   DOUBLE ";
}

std::string OverCapacityMessage(const std::string& table, const std::string& road) {
  return "表" + table + "中道路" + road + "的数据超出容量(每侧最多" +
         std::to_string(kMaxSlopeSegments) + "段、每段最多" + std::to_string(kMaxSlopeLevels) +
         "级)，超出部分未读入!";
}

AdoValue ToAdo(const FieldValue& value) {
  return std::visit(
      [](const auto& v) -> AdoValue {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, int>) return static_cast<std::int64_t>(v);
        else return v;
      },
      value);
}

}  // namespace

std::string ConnectionString(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

std::string SqlQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

RoadSectionStore::RoadSectionStore(const Services& services)
    : services_(services), connection_(services), recordset_(services) {
  recordset_.SetConnection(&connection_);
}

RoadSectionStore::~RoadSectionStore() {
  recordset_.Close();
  connection_.Close();
}

bool RoadSectionStore::OpenSchemeConnection() {
  if (!connection_.Open(ConnectionString(databasePath), adConnectUnspecified)) {
    services_.messages->Show(std::string(messages::kConnectFailed));
    return false;
  }
  return true;
}

void RoadSectionStore::LoadTableNames() {
  recordset_.Attach(connection_.OpenSchema(adSchemaColumns));
  std::string name;
  while (!recordset_.IsEOF()) {
    if (!recordset_.GetCollect("TABLE_NAME", name)) break;
    if (tableNames.empty() || tableNames.back() != name) tableNames.push_back(name);
    if (!recordset_.MoveNext()) break;
  }
  recordset_.Close();
}

bool RoadSectionStore::TableExists(const std::string& name) const {
  return std::find(tableNames.begin(), tableNames.end(), name) != tableNames.end();
}

bool RoadSectionStore::OpenRoadTable(const std::string& path, const std::string& road,
                                     const std::string& table) {
  sql_ = "select * from " + table + " where 道路名=" + SqlQuote(road) + " ORDER by 序号";
  return OpenStatement(path, sql_);
}

bool RoadSectionStore::OpenStatement(const std::string& path, const std::string& statement) {
  recordset_.Close();
  if (!connection_.Open(ConnectionString(path), adConnectUnspecified)) {
    services_.messages->Show(std::string(messages::kConnectFailed));
    return false;
  }
  if (!connection_.IsOpen()) {
    services_.messages->Show(std::string(messages::kNotOpen));
    return false;
  }
  recordset_.SetConnection(&connection_);
  if (recordset_.Open(statement, adCmdText, adOpenDynamic, adLockOptimistic) == 1) return true;
  recordset_.Close();
  connection_.Close();
  return false;
}

bool RoadSectionStore::LoadRoad(const std::string& path, const std::string& road) {
  if (OpenSchemeConnection()) LoadTableNames();
  double start = 0, end = 0;
  ReadChainBreaks(path, road, start, end);
  services_.progress->SetProgress(0);
  for (const TableStep& step : LoadOrder()) {
    ReadTable(*step.table, step.side, path, road, start, end);
    for (int position : step.progress)
      if (position >= 0) services_.progress->SetProgress(position);
  }
  return true;
}

// Reads one table of the road into the record, or puts its default content in place.
void RoadSectionStore::ReadTable(const TableDesc& table, Side side, const std::string& path,
                                 const std::string& road, double start, double end) {
  std::string name = table.Name(side);
  if (table.BaseName() == kCutClassTable && !TableExists(name)) name = kLegacyCutClassTable;
  const bool opened = table.Scope() == TableScope::Scheme
                          ? OpenStatement(path, sql_ = "select * from " + name)
                          : OpenRoadTable(path, road, name);
  if (!opened) {
    table.SetDefault(*this, side, start, end);
    return;
  }

  bool radiusAdded = false;
  if (table.HasRadiusUpgrade()) {
    const int fields = recordset_.GetFieldsCount();
    if (recordset_.GetFieldName(fields - 1) != kRadiusColumn) {
      recordset_.Close();
      connection_.Execute(RadiusUpgradeStatement(name));
      if (!OpenRoadTable(path, road, name)) {
        table.SetDefault(*this, side, start, end);
        return;
      }
      radiusAdded = true;
    }
  }

  const int first = table.FirstDataColumn();
  const auto& columns = table.DataColumns(side);
  const int radiusColumn = static_cast<int>(columns.size()) - 1;
  const bool scheme = table.Scope() == TableScope::Scheme;
  bool overCapacity = false;
  std::string text;
  int row = 0;
  if (!scheme) table.Resize(*this, side, 0);
  for (; !recordset_.IsEOF(); ++row) {
    if (!scheme) {
      if (row >= table.Capacity()) {
        overCapacity = true;
        break;
      }
      table.Resize(*this, side, row + 1);
    }
    const int target = scheme ? 0 : row;
    for (int c = 0; c < table.ColumnsInUse(*this, side, target); ++c) {
      const int index = first + c;
      switch (columns[c].kind) {
        case FieldKind::Real: {
          double value = 0;
          recordset_.GetReal(index, value);
          table.Set(*this, side, target, c, value);
          break;
        }
        case FieldKind::Code:
        case FieldKind::Count: {
          int value = 0;
          recordset_.GetInt(index, value);
          if (columns[c].kind == FieldKind::Count && (value < 0 || value > kMaxSlopeLevels)) {
            overCapacity = true;
            value = std::clamp(value, 0, kMaxSlopeLevels);
          }
          table.Set(*this, side, target, c, value);
          break;
        }
        case FieldKind::Text:
          text.clear();
          recordset_.GetCollect(index, text);
          table.Set(*this, side, target, c, text);
          break;
      }
    }
    if (radiusAdded) {
      table.Set(*this, side, target, radiusColumn, 0.0);
      recordset_.PutCollect(first + radiusColumn, 0.0);
      recordset_.Update();
    }
    if (!recordset_.MoveNext()) break;
  }
  recordset_.Close();
  connection_.Close();
  if (overCapacity) services_.messages->Show(OverCapacityMessage(name, road));
}

bool RoadSectionStore::SaveRoad(const std::string&, const std::string& road) {
  if (!OpenSchemeConnection()) return false;
  LoadTableNames();
  bool saved = connection_.BeginTrans();
  for (const TableStep& step : SaveOrder()) {
    if (!saved) break;
    saved = WriteTable(*step.table, step.side, road);
  }
  recordset_.Close();
  if (saved) saved = connection_.CommitTrans();
  if (!saved) connection_.RollbackTrans();
  connection_.Close();
  return saved;
}

// Creates the table when missing, deletes the road's rows and appends the record's rows.
bool RoadSectionStore::WriteTable(const TableDesc& table, Side side, const std::string& road) {
  const std::string name = table.Name(side);
  const bool scheme = table.Scope() == TableScope::Scheme;
  if (!TableExists(name) && !connection_.Execute(table.CreateStatement(side))) return false;
  const std::string deletion =
      scheme ? "delete from " + name : "delete from " + name + " where 道路名=" + SqlQuote(road);
  if (!connection_.Execute(deletion)) return false;

  recordset_.SetConnection(&connection_);
  sql_ = "select * from " + name;
  if (recordset_.Open(sql_, adCmdText, adOpenDynamic, adLockOptimistic) < 0) return false;
  if (table.HasRadiusUpgrade() &&
      recordset_.GetFieldName(recordset_.GetFieldsCount() - 1) != kRadiusColumn) {
    recordset_.Close();
    if (!connection_.Execute(RadiusUpgradeStatement(name))) return false;
    if (recordset_.Open(sql_, adCmdText, adOpenDynamic, adLockOptimistic) < 0) return false;
  }

  const int first = table.FirstDataColumn();
  const int rows = table.RowCount(*this, side);
  for (int row = 0; row < rows; ++row) {
    if (table.IsSlope()) {
      // The last level in use always reaches to the top of the slope.
      const int levels = std::get<int>(table.Get(*this, side, row, 1));
      if (levels >= 1) table.Set(*this, side, row, 2 + 4 * (levels - 1) + 1, 100.0);
    }
    if (!recordset_.AddNew()) return false;
    if (scheme) recordset_.PutCollect(0, std::int64_t{0});
    else recordset_.PutCollect(1, road);
    const int used = table.ColumnsInUse(*this, side, row);
    for (int c = 0; c < used; ++c) recordset_.PutCollect(first + c, ToAdo(table.Get(*this, side, row, c)));
  }
  const bool updated = recordset_.Update();
  recordset_.Close();
  return updated;
}

}  // namespace hdmjm
