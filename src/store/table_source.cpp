#include "table_source.h"

#include <algorithm>
#include <cmath>

namespace hdmjm {
namespace {

SourceFailure FailureOf(const AdoError& error) { return {CauseOf(error), error.text}; }

// An SQLite scheme, read in one transaction: every table is read from the same state of the
// file, and another program cannot take the file for writing half-way through.
class SqliteSource : public TableSource {
 public:
  explicit SqliteSource(AdoConnection& connection) : connection_(connection) {
    // Each table is read once for all roads, from its first page to its last: a cache of a few
    // megabytes serves that as well as one of the whole file would, and the memory it takes
    // stays with the program (freed pages go back to the heap, not to the system).
    connection_.Execute("PRAGMA cache_size = -8192");
    connection_.Execute("BEGIN");
  }
  ~SqliteSource() override {
    if (connection_.InTransaction()) connection_.Execute("ROLLBACK");
  }

  FileKind Kind() const override { return FileKind::Sqlite; }
  bool ReadOnly() const override { return connection_.IsReadOnly(); }

  bool ReadCatalogue(ColumnCatalogue& catalogue) override {
    return ReadColumnCatalogue(connection_, catalogue);
  }

  bool ReadRows(const std::string& table, const std::vector<std::string>& columns,
                const std::string& orderBy, const RowSink& sink, std::size_t checked) override {
    checked = std::min(checked, columns.size());
    const std::size_t read = columns.size() - checked;
    std::string list;
    for (std::size_t c = 0; c < read; ++c)
      list += (list.empty() ? "" : ", ") + (columns[c].empty() ? "NULL" : QuoteName(columns[c]));
    if (checked > 0) {
      // One value for the columns only looked at: the engine tells which first holds one.
      std::string firstHeld;
      for (std::size_t c = read; c < columns.size(); ++c)
        if (!columns[c].empty())
          firstHeld +=
              " WHEN " + QuoteName(columns[c]) + " IS NOT NULL THEN " + std::to_string(c - read);
      list += (list.empty() ? "" : ", ") +
              (firstHeld.empty() ? std::string("NULL") : "CASE" + firstHeld + " END");
    }
    const std::string order = orderBy.empty() ? "" : " ORDER BY " + QuoteName(orderBy);
    AdoStatement rows(connection_, "SELECT " + (list.empty() ? "NULL" : list) + " FROM " +
                                       QuoteName(table) + order);
    if (!rows.Prepared()) return false;
    std::vector<AdoValue> values(read + (checked > 0 ? 1 : 0));
    AdoStatement::Step step;
    while ((step = rows.Next()) == AdoStatement::Step::Row) {
      rows.ValuesInto(values);
      sink(values);
    }
    return step == AdoStatement::Step::Done;
  }

  std::string ColumnProblem(const std::string&, const std::string&, FieldKind) const override {
    return {};
  }

  std::optional<double> Greatest(const std::string& table, const std::string& column) override {
    AdoStatement greatest(connection_,
                          "SELECT max(" + QuoteName(column) + ") FROM " + QuoteName(table));
    if (!greatest.Prepared() || greatest.Next() != AdoStatement::Step::Row) return std::nullopt;
    const AdoValue value = greatest.Value(0);
    greatest.Reset();
    if (IsNull(value)) return std::nan("");
    if (const auto* real = std::get_if<double>(&value)) return *real;
    if (const auto* integer = std::get_if<std::int64_t>(&value))
      return static_cast<double>(*integer);
    return std::nullopt;  // text or bytes: the rows tell what each holds
  }

  bool AddRadiusColumn(const std::string& table, const std::vector<std::string>& roads) override {
    if (!connection_.Execute("ALTER TABLE " + QuoteName(table) + " ADD " +
                             QuoteName(kRadiusColumn) + " DOUBLE"))
      return false;
    AdoStatement zero(connection_, "UPDATE " + QuoteName(table) + " SET " +
                                       QuoteName(kRadiusColumn) + " = 0 WHERE " +
                                       QuoteName(kRoadColumn) + " = ?");
    for (const std::string& road : roads) {
      zero.Bind(1, road);
      zero.Run();
    }
    return true;
  }

  // An upgrade that cannot be committed is given up: the records hold its values all the same,
  // and saving makes it again.
  void Finish() override {
    if (!connection_.Execute("COMMIT")) connection_.Execute("ROLLBACK");
  }

  SourceFailure LastFailure() const override { return FailureOf(connection_.LastError()); }

 private:
  AdoConnection& connection_;
};

}  // namespace

std::unique_ptr<TableSource> OpenTableSource(const std::string& path, AdoConnection& connection,
                                             SourceFailure& failure) {
  failure = {};
  if (IsAccessKind(ProbeFile(path).kind)) return OpenAccessSource(path, failure);
  if (!connection.Open(path)) {
    failure = FailureOf(connection.LastError());
    return nullptr;
  }
  return std::make_unique<SqliteSource>(connection);
}

}  // namespace hdmjm
