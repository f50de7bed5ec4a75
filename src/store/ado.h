// The database access layer: a connection to one scheme database file and statements prepared
// on it, over SQLite. Every failure becomes a return value, the connection's LastError and one
// trace line; nothing throws and nothing is shown to the designer.
#pragma once

#include <memory>
#include <string>

#include "services.h"
#include "sql_dialect.h"
#include "stored_value.h"

namespace hdmjm {

// An engine failure: its result code (SQLITE_BUSY, SQLITE_FULL, ...) and its own text.
struct AdoError {
  int code = 0;  // 0: no failure
  std::string text;
  int systemError = 0;  // the operating system's errno behind an I/O failure, if any
};

class AdoConnection {
 public:
  explicit AdoConnection(const Services& services = DefaultServices());
  ~AdoConnection();
  AdoConnection(const AdoConnection&) = delete;
  AdoConnection& operator=(const AdoConnection&) = delete;

  // Opens the database file at `path` read-write without creating it; a missing file, one that
  // is not a database, or a damaged one fails here.
  bool Open(const std::string& path);
  // Creates a database file at `path` and opens it; fails when the file exists.
  bool Create(const std::string& path);
  // Rolls back a transaction left open; statements of the connection stop working.
  void Close();
  // Closes and lets go of the engine's connection too, so that the next Open starts afresh
  // (after a failed write the engine's connection may keep what it met).
  void Release();
  bool IsOpen() const;
  // Runs a statement in the program's SQL dialect (see MapDialect).
  bool Execute(const std::string& statement);
  // Whether the engine could open the file for reading only (a read-only file or folder).
  bool IsReadOnly() const;
  // Whether a transaction is open on the connection (a failed statement may have ended it).
  bool InTransaction() const;
  // The failure of the last Open, Create, Execute or AdoStatement that failed on the connection.
  const AdoError& LastError() const { return lastError_; }

 private:
  friend class AdoStatement;
  struct Handle;
  bool Opened(std::unique_ptr<Handle> handle, int rc);
  void Failed(const AdoError& error);

  Services services_;
  std::unique_ptr<Handle> handle_;
  AdoError lastError_;
};

// One statement prepared once on an open connection and run as often as needed, with values
// bound as parameters (1-based) and read back typed. The program's dialect is mapped as for
// Execute.
class AdoStatement {
 public:
  enum class Step { Row, Done, Failed };
  AdoStatement(AdoConnection& connection, const std::string& statement);
  ~AdoStatement();
  AdoStatement(const AdoStatement&) = delete;
  AdoStatement& operator=(const AdoStatement&) = delete;

  bool Prepared() const;
  void Bind(int parameter, const AdoValue& value);
  Step Next();
  // Runs to the end and resets for the next run; false on failure.
  bool Run();
  void Reset();
  AdoValue Value(int column) const;
  // The current row's first values.size() columns into `values`, reusing what they hold: a
  // table read row by row allocates no text it has room for.
  void ValuesInto(std::vector<AdoValue>& values) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hdmjm
