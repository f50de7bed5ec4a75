// An Access scheme as the scheme unit reads it: only read, never written, and every column of a
// type the record cannot keep in its field said as such.
#include <algorithm>

#include "access_file.h"
#include "table_source.h"

namespace hdmjm {
namespace {

SourceFailure FailureOf(const AccessError& error) {
  FailureCause cause = FailureCause::Other;
  if (error.fault == AccessFault::NotAccess) cause = FailureCause::NotScheme;
  if (error.fault == AccessFault::Damaged) cause = FailureCause::Damaged;
  return {cause, AccessErrorText(error)};
}

// The names Access shows for its column types.
std::string TypeName(JetType type) {
  switch (type) {
    case JetType::Boolean:
      return "是/否";
    case JetType::Byte:
      return "字节";
    case JetType::Integer:
      return "整型";
    case JetType::Long:
      return "长整型";
    case JetType::Currency:
      return "货币";
    case JetType::Single:
      return "单精度型";
    case JetType::Double:
      return "双精度型";
    case JetType::DateTime:
      return "日期/时间";
    case JetType::Binary:
      return "二进制";
    case JetType::Text:
      return "文本";
    case JetType::OleObject:
      return "OLE 对象";
    case JetType::Memo:
      return "备注";
    case JetType::Guid:
      return "同步复制 ID";
    case JetType::Decimal:
      return "小数";
    case JetType::Unsupported:
      break;
  }
  return "未知类型";
}

// The order SQLite sorts in: NULL, numbers by value, texts, blobs.
int Rank(const AdoValue& value) {
  if (IsNull(value)) return 0;
  if (std::holds_alternative<std::int64_t>(value) || std::holds_alternative<double>(value))
    return 1;
  return std::holds_alternative<std::string>(value) ? 2 : 3;
}

double Number(const AdoValue& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return static_cast<double>(*integer);
  return std::get<double>(value);
}

bool Before(const AdoValue& a, const AdoValue& b) {
  const int rank = Rank(a);
  if (rank != Rank(b)) return rank < Rank(b);
  if (rank == 1) return Number(a) < Number(b);
  if (rank == 2) return std::get<std::string>(a) < std::get<std::string>(b);
  return false;
}

int Position(const AccessTable& table, const std::string& name) {
  if (name.empty()) return -1;
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    if (table.columns[c].name == name) return static_cast<int>(c);
  return -1;
}

class AccessSource : public TableSource {
 public:
  explicit AccessSource(std::unique_ptr<AccessFile> file) : file_(std::move(file)) {}

  FileKind Kind() const override { return file_->Kind(); }
  bool ReadOnly() const override { return true; }

  bool ReadCatalogue(ColumnCatalogue& catalogue) override {
    catalogue.clear();
    for (const AccessTable& table : file_->Tables()) {
      std::vector<std::string>& names = catalogue[table.name];
      for (const AccessColumn& column : table.columns) names.push_back(column.name);
    }
    return true;
  }

  // The file keeps rows in no order of their own: they are read whole, then sorted.
  bool ReadRows(const std::string& table, const std::vector<std::string>& columns,
                const std::string& orderBy, const RowSink& sink, std::size_t checked) override {
    const AccessTable* found = file_->FindTable(table);
    if (!found) {
      failure_ = {FailureCause::Other, "表" + table + "不存在。"};
      return false;
    }
    std::vector<int> at;
    for (const std::string& column : columns) at.push_back(Position(*found, column));
    const int order = Position(*found, orderBy);
    std::vector<std::pair<AdoValue, std::vector<AdoValue>>> rows;
    rows.reserve(found->rowCount);
    const AccessError error = file_->ReadRows(*found, [&](const std::vector<AdoValue>& row) {
      std::vector<AdoValue> values(at.size());
      for (std::size_t c = 0; c < at.size(); ++c)
        if (at[c] >= 0) values[c] = row[static_cast<std::size_t>(at[c])];
      rows.emplace_back(order >= 0 ? row[static_cast<std::size_t>(order)] : AdoValue{},
                        std::move(values));
      return true;
    });
    if (error.Failed()) {
      failure_ = FailureOf(error);
      return false;
    }
    if (order >= 0)
      std::stable_sort(rows.begin(), rows.end(),
                       [](const auto& a, const auto& b) { return Before(a.first, b.first); });
    checked = std::min(checked, columns.size());
    const std::size_t read = columns.size() - checked;
    for (auto& [key, values] : rows) {
      if (checked > 0) {
        const auto held = std::find_if(values.begin() + static_cast<std::ptrdiff_t>(read),
                                       values.end(), [](const AdoValue& v) { return !IsNull(v); });
        const AdoValue first =
            held == values.end()
                ? AdoValue(nullptr)
                : AdoValue(std::int64_t{held - values.begin()} - static_cast<std::int64_t>(read));
        values.resize(read);
        values.push_back(first);
      }
      sink(values);
    }
    return true;
  }

  // An Access table is read whole for any question about it.
  std::optional<double> Greatest(const std::string&, const std::string&) override {
    return std::nullopt;
  }

  std::string ColumnProblem(const std::string& table, const std::string& column,
                            FieldKind kind) const override {
    const AccessTable* found = file_->FindTable(table);
    const int at = found ? Position(*found, column) : -1;
    if (at < 0) return {};
    return AccessTypeProblem(found->columns[static_cast<std::size_t>(at)].type, kind);
  }

  bool AddRadiusColumn(const std::string&, const std::vector<std::string>&) override {
    return false;
  }
  void Finish() override {}
  SourceFailure LastFailure() const override { return failure_; }

 private:
  std::unique_ptr<AccessFile> file_;
  SourceFailure failure_;
};

}  // namespace

std::string AccessTypeProblem(JetType type, FieldKind kind) {
  bool holds = false;
  switch (type) {
    case JetType::Text:
    case JetType::Memo:
      holds = kind == FieldKind::Text;
      break;
    case JetType::Boolean:
    case JetType::Byte:
    case JetType::Integer:
    case JetType::Long:
    case JetType::Single:
    case JetType::Double:
      holds = kind != FieldKind::Text;
      break;
    default:
      break;
  }
  if (holds) return {};
  return "Access 中的类型为" + TypeName(type) + ", 而本列只能存" +
         (kind == FieldKind::Text ? "文本" : "数值");
}

std::unique_ptr<TableSource> OpenAccessSource(const std::string& path, SourceFailure& failure) {
  AccessError error;
  std::unique_ptr<AccessFile> file = AccessFile::Open(path, error);
  if (!file) {
    failure = FailureOf(error);
    return nullptr;
  }
  return std::make_unique<AccessSource>(std::move(file));
}

}  // namespace hdmjm
