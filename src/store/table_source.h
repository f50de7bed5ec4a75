// Where the scheme unit reads a scheme from: an SQLite file, read and written, or an Access file,
// only read. What the file is, told by its first bytes and not by its name, chooses the source;
// both hand over the same typed values, so the same whole-load rules hold for both.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "failure.h"
#include "file_kind.h"
#include "scheme_tables.h"

namespace hdmjm {

// Why a source could not be opened or read on: the cause, and the engine's or reader's words.
struct SourceFailure {
  FailureCause cause = FailureCause::None;
  std::string detail;
};

class TableSource {
 public:
  // One row: the values of the columns asked for, in the order asked.
  using RowSink = std::function<void(const std::vector<AdoValue>& values)>;

  virtual ~TableSource() = default;

  virtual FileKind Kind() const = 0;
  // Whether the file can only be read here (an Access file, or a read-only SQLite file).
  virtual bool ReadOnly() const = 0;
  // Every table with its column names in order.
  virtual bool ReadCatalogue(ColumnCatalogue& catalogue) = 0;
  // The rows of `table` in the order of its column `orderBy` (as the file keeps them when
  // empty), each with the values of `columns` (names from the catalogue; an empty name reads as
  // NULL). The last `checked` of the columns are only looked at for a value: in their place the
  // sink sees one value, the position among them of the first that holds one (an integer from
  // 0), or NULL when none does. False when the read failed: LastFailure says why.
  virtual bool ReadRows(const std::string& table, const std::vector<std::string>& columns,
                        const std::string& orderBy, const RowSink& sink,
                        std::size_t checked = 0) = 0;
  // The greatest value the column holds in the table, when the file tells it without reading
  // the table's rows and it is a number (NaN: no row holds a value there).
  virtual std::optional<double> Greatest(const std::string& table, const std::string& column) = 0;
  // Why the column cannot feed a field of `kind`, whatever it holds (its type); empty when it
  // can, and the values alone decide.
  virtual std::string ColumnProblem(const std::string& table, const std::string& column,
                                    FieldKind kind) const = 0;
  // Adds 沟底半径 to an older table, 0 in the rows of `roads`. False when it cannot be added: the
  // records then hold 0 all the same.
  virtual bool AddRadiusColumn(const std::string& table, const std::vector<std::string>& roads) = 0;
  // The reading is over: what it changed is kept (the upgrades).
  virtual void Finish() = 0;
  virtual SourceFailure LastFailure() const = 0;
};

// Opens the file at `path` for reading as what its first bytes say it is: an Access file as an
// Access source, anything else through `connection` as SQLite, which then fails as the engine
// does (a missing file, a file that is no database). Null, with `failure` set, when it fails.
std::unique_ptr<TableSource> OpenTableSource(const std::string& path, AdoConnection& connection,
                                             SourceFailure& failure);
std::unique_ptr<TableSource> OpenAccessSource(const std::string& path, SourceFailure& failure);

}  // namespace hdmjm
