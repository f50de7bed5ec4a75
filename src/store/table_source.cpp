#include "table_source.h"

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
                const std::string& orderBy, const RowSink& sink) override {
    std::string list;
    for (const std::string& column : columns)
      list += (list.empty() ? "" : ", ") + (column.empty() ? "NULL" : QuoteName(column));
    const std::string order = orderBy.empty() ? "" : " ORDER BY " + QuoteName(orderBy);
    AdoStatement rows(connection_, "SELECT " + (list.empty() ? "NULL" : list) + " FROM " +
                                       QuoteName(table) + order);
    if (!rows.Prepared()) return false;
    std::vector<AdoValue> values(columns.size());
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
