// The database access layer: a connection to one scheme database file and a cursor over the
// rows of one statement, over SQLite. Every failure becomes a return value and one trace line;
// nothing throws. Field values reach callers as text (see VariantToText).
#pragma once

#include <cstdint>
#include <memory>
#include <source_location>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "services.h"

struct sqlite3;

namespace hdmjm {

// The values callers pass, as the program has always passed them.
inline constexpr int adConnectUnspecified = -1;
inline constexpr int adCmdText = 1;
inline constexpr int adOpenDynamic = 2;
inline constexpr int adLockOptimistic = 3;
inline constexpr int adStateClosed = 0;
inline constexpr int adStateOpen = 1;
inline constexpr int adSchemaColumns = 4;

// A field value as stored: empty, NULL, integer, real, text or blob.
struct AdoBlob {
  std::vector<unsigned char> bytes;
  bool operator==(const AdoBlob&) const = default;
};
using AdoValue =
    std::variant<std::monostate, std::nullptr_t, std::int64_t, double, std::string, AdoBlob>;

// The text form of a field value: empty "", NULL "NULL", integer "%d" of its low 32 bits,
// real "%.8f", text as is, blob "UN_KNOW".
std::string VariantToText(const AdoValue& value);

// A name as the engine quotes it: in double quotes, inner double quotes doubled.
std::string QuoteName(std::string_view name);

// The number atof makes of a real's "%.8f" text, computed without the text.
double RoundTo8Decimals(double value);

// An engine failure: its result code (SQLITE_BUSY, SQLITE_FULL, ...) and its own text.
struct AdoError {
  int code = 0;  // 0: no failure
  std::string text;
  int systemError = 0;  // the operating system's errno behind an I/O failure, if any
};

class AdoResult;  // a result set of the engine; what OpenSchema hands to AdoRecordset::Attach
// Deleting through a deleter defined in ado.cpp lets callers hold results without seeing the type.
struct AdoResultDeleter {
  void operator()(AdoResult* result) const;
};
using AdoResultPtr = std::unique_ptr<AdoResult, AdoResultDeleter>;

class AdoConnection {
 public:
  explicit AdoConnection(const Services& services = DefaultServices());
  virtual ~AdoConnection();
  AdoConnection(const AdoConnection&) = delete;
  AdoConnection& operator=(const AdoConnection&) = delete;

  // connectionString: "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path. Opens the file
  // read-write without creating it; a missing file, one that is not a database, or a damaged
  // one fails here.
  bool Open(const std::string& connectionString, int options = adConnectUnspecified);
  void Close();
  bool IsOpen() const;
  // adSchemaColumns: one row per column of every table, with the field TABLE_NAME first,
  // then COLUMN_NAME and ORDINAL_POSITION (1-based), ordered by table and position.
  AdoResultPtr OpenSchema(int schemaKind);
  // Runs a statement in the program's SQL dialect ("INTEGER identity", "double precision", ...
  // are mapped to the engine). A failure shows the engine's description in a message box and
  // returns false.
  bool Execute(const std::string& statement);
  // One transaction on the connection; false (and a trace line) when the engine refuses.
  bool BeginTrans();
  bool CommitTrans();
  bool RollbackTrans();
  sqlite3* GetConnection() const;
  // Whether the engine could open the file for reading only (a read-only file or folder).
  bool IsReadOnly() const;
  // Whether a transaction is open on the connection (a failed statement may have ended it).
  bool InTransaction() const;
  const Services& GetServices() const { return services_; }
  // The failure of the last Open, ExecuteQuietly or AdoStatement that failed on this connection.
  const AdoError& LastError() const { return lastError_; }
  // Runs a statement without a message box: a failure is a trace line and LastError.
  bool ExecuteQuietly(const std::string& statement);

  // The path named by "Data Source=" in a connection string.
  static std::string PathFromConnectionString(const std::string& connectionString);

 private:
  friend class AdoRecordset;  // opens its statements on the connection's current link
  friend class AdoStatement;
  struct Handle;
  bool RunTransactionStatement(const char* sql, std::string_view traceFormat);
  void Failed(int code, const std::string& text, int systemError = 0) {
    lastError_ = {code, text, systemError};
  }

  Services services_;
  std::unique_ptr<Handle> handle_;
  AdoError lastError_;
};

// One statement prepared once on an open connection and run as often as needed, with values
// bound as parameters (1-based) and read back typed. Names in the statement are as the engine
// takes them; the program's dialect ("INTEGER identity", 1级... names) is mapped as for Execute.
// A failure is a trace line and the connection's LastError.
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
  int ColumnCount() const;
  std::string ColumnName(int column) const;
  AdoValue Value(int column) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

class AdoRecordset {
 public:
  explicit AdoRecordset(const Services& services = DefaultServices());
  virtual ~AdoRecordset();
  AdoRecordset(const AdoRecordset&) = delete;
  AdoRecordset& operator=(const AdoRecordset&) = delete;

  void SetConnection(AdoConnection* connection);
  // −1 on failure, 1 when the result has at least one row, 0 when it is empty.
  int Open(const std::string& statement, int options = adCmdText, int cursorType = adOpenDynamic,
           int lockType = adLockOptimistic);
  void Close();
  void Attach(AdoResultPtr result);

  bool MoveFirst();
  bool MoveLast();
  bool MoveNext();
  bool IsEOF();          // also true when the end cannot be told, so that every walk ends
  int GetRecordCount();  // walks the rows; the cursor ends after the last one
  int GetFieldsCount();
  std::string GetFieldName(int index);
  bool GetCollect(int index, std::string& text);
  bool GetCollect(const std::string& fieldName, std::string& text);
  // The same numbers atof and atoi make of GetCollect's text, without building the text.
  bool GetReal(int index, double& value);
  bool GetInt(int index, int& value);
  // The field's value as stored (NULL as nullptr), without any text conversion.
  bool GetValue(const std::string& fieldName, AdoValue& value);

  // Sets a field of the current row; Update writes it. Failures are silent.
  void PutCollect(int index, const AdoValue& value);
  // Appends an empty row and makes it current (a pending new row is written first).
  bool AddNew();
  // Writes the current row: inserts a new row, or updates the fields put into an existing one.
  // With no new row pending and nothing put, it writes nothing and returns true.
  bool Update();

 private:
  // True when there is an open result; without one, a trace line when a result exists.
  bool Usable(std::string_view traceFormat,
              const std::source_location& where = std::source_location::current());
  void WriteBeforeMove();
  bool Moved(int rc, std::string_view traceFormat,
             const std::source_location& where = std::source_location::current());
  // True when the current row can be read (the designer is told when the result is closed).
  bool Readable();
  bool ReadableField(int index);

  Services services_;
  AdoConnection* connection_ = nullptr;
  AdoResultPtr result_;
};

}  // namespace hdmjm
