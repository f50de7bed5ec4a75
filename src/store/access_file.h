// An Access (Jet) database file opened for reading: its user tables in file order, their
// columns, and their live rows as typed values. The file is never written. Failures are
// results naming their cause (and the table, where one is concerned); nothing throws.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado.h"
#include "file_kind.h"

namespace hdmjm {

// Column types as an Access file names them.
enum class JetType {
  Boolean,
  Byte,
  Integer,  // 16 bits
  Long,     // 32 bits
  Currency,
  Single,
  Double,
  DateTime,
  Binary,
  Text,
  OleObject,
  Memo,
  Guid,
  Decimal,
  Unsupported,  // a type this reader does not decode (attachments, multi-valued fields, ...)
};

// How each type arrives as an AdoValue (NULL as nullptr whatever the type):
//   Boolean 0/1, Byte/Integer/Long as std::int64_t; Single/Double as double, bit for bit;
//   Currency as double; DateTime as the stored double (days since 1899-12-30, the fraction the
//   time of day); Decimal as std::int64_t when it has no digits after the point and fits,
//   otherwise the nearest double; Text/Memo as UTF-8; Guid as "{...}" text; Binary/OLE as
//   AdoBlob.
struct AccessColumn {
  std::string name;
  JetType type = JetType::Unsupported;
  int typeCode = 0;         // the file's own code for the type
  bool autoNumber = false;  // a Long that Access numbers itself
  int scale = 0;            // Decimal: digits after the point
};

struct AccessTable {
  std::string name;
  std::vector<AccessColumn> columns;
  std::uint32_t rowCount = 0;  // live rows, as the table's definition states
};

enum class AccessFault {
  None,
  Missing,      // no such file
  Unreadable,   // a folder, or a file that cannot be read
  NotAccess,    // not an Access database file
  Damaged,      // truncated, damaged, or encrypted so that it cannot be read
  Unsupported,  // a column type this reader cannot decode
};

struct AccessError {
  AccessFault fault = AccessFault::None;
  std::string table;   // the table concerned, if any
  std::string detail;  // what exactly was found
  bool Failed() const { return fault != AccessFault::None; }
};

// Why a column of `type` cannot feed a record's field of `kind`, whatever it holds; empty when it
// can (numbers of every width feed numbers, a code only when whole, which the values tell).
std::string AccessTypeProblem(JetType type, FieldKind kind);

// The designer's words for a failure, naming the table concerned.
std::string AccessErrorText(const AccessError& error);

// Receives one row, its values in column order. Returning false stops the reading.
using AccessRowSink = std::function<bool(const std::vector<AdoValue>& row)>;

class AccessFile {
 public:
  // Opens `path` for reading and reads every user table's definition.
  static std::unique_ptr<AccessFile> Open(const std::filesystem::path& path, AccessError& error);
  ~AccessFile();
  AccessFile(const AccessFile&) = delete;
  AccessFile& operator=(const AccessFile&) = delete;

  FileKind Kind() const;
  // The user tables (no system tables, no linked ones) in the order the file lists them.
  const std::vector<AccessTable>& Tables() const;
  // A table by name, compared as Access does (ASCII letters in either case).
  const AccessTable* FindTable(std::string_view name) const;

  // Hands every live row of `table` (one of Tables()) to `sink`, in file order. The rows found
  // are counted before any is handed over: when they differ from the count the table states,
  // nothing is handed over and the failure says so.
  AccessError ReadRows(const AccessTable& table, const AccessRowSink& sink);

 private:
  struct State;
  explicit AccessFile(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace hdmjm
