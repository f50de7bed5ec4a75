// Turning an Access database file into a new SQLite database file that holds every one of its
// tables (those of other programs too), each column with its type, each live row, every value
// as stored. The Access file is only read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "access_file.h"
#include "ado.h"
#include "services.h"

namespace hdmjm {

struct ConversionResult {
  enum class Outcome { Converted, OutputExists, InputFailed, WriteFailed };
  Outcome outcome = Outcome::Converted;
  AccessError input;    // InputFailed: why the Access file could not be read
  AdoError output;      // WriteFailed: the engine's failure, when it was the engine's
  std::string message;  // the designer's words; empty when converted
  std::size_t tables = 0;
  std::size_t rows = 0;
  bool Converted() const { return outcome == Outcome::Converted; }
};

// Runs on the new file once its tables are written; false fails the conversion as a write.
using ConversionFinish = std::function<bool(AdoConnection& connection)>;

// Writes the SQLite file `output`, which must not exist yet. The tables are written into a new
// file beside it that takes the name `output` only when complete (`finish` run on it); a
// failure leaves nothing behind. Progress advances by rows, table after table.
ConversionResult ConvertAccessFile(const std::filesystem::path& access,
                                   const std::filesystem::path& output, const Services& services,
                                   const ConversionFinish& finish = {});

// An Access column as SQLite declares it: an autonumber Long as the store's "INTEGER identity".
std::string SqliteColumnType(const AccessColumn& column);

// An Access date and time (days since 1899-12-30, the fraction the time of day) as
// "YYYY-MM-DD HH:MM:SS", with ".mmm" when it has milliseconds; nothing for a number that is no
// date of the calendar's years 1 to 9999 or so.
std::optional<std::string> JetDateText(double days);

}  // namespace hdmjm
