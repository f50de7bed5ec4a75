#include "access_convert.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace hdmjm {
namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
constexpr std::int64_t kDaysBefore1970 = 25569;  // 1899-12-30 to 1970-01-01
constexpr int kTemporaryNameTries = 100;
constexpr double kLargestDay = 3e6;  // beyond the year 9999 either way

std::string PathText(const std::filesystem::path& path) { return path.string(); }

// A new empty file beside `output`, created here and so owned by this conversion.
std::optional<std::filesystem::path> CreateTemporaryFile(const std::filesystem::path& output) {
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    std::filesystem::path candidate = output;
    candidate += ".part" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

// Opens the new, empty file as a database: it gets the engine's header first, without which the
// access layer refuses a file.
bool OpenNewDatabase(AdoConnection& connection, const std::filesystem::path& path) {
  // The empty file only reserved the name: the engine makes the database in its place.
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return connection.Create(PathText(path));
}

// Runs one statement of the program's dialect; a failure is the connection's LastError.
bool Run(AdoConnection& connection, const std::string& statement) {
  AdoStatement prepared(connection, statement);
  return prepared.Prepared() && prepared.Run();
}

void RemoveTemporary(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::filesystem::path journal = path;
  journal += "-journal";
  std::filesystem::remove(journal, ignored);
}

// Moves `from` to `to` unless `to` exists: never replaces a file that appeared meanwhile.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that rename: a hard link fails as well when `to` exists.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

// Progress over every table's rows, each table counting one step besides.
class RowProgress {
 public:
  RowProgress(Progress& progress, const std::vector<AccessTable>& tables) : progress_(progress) {
    for (const AccessTable& table : tables) total_ += table.rowCount + 1;
    progress_.SetProgress(0);
  }
  void Advance() {
    ++done_;
    const int percent = total_ == 0 ? 100 : static_cast<int>(done_ * 100 / total_);
    if (percent != shown_) progress_.SetProgress(shown_ = percent);
  }

 private:
  Progress& progress_;
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
  int shown_ = 0;
};

class Converter {
 public:
  Converter(AccessFile& file, AdoConnection& connection, ConversionResult& result,
            RowProgress& progress)
      : file_(file), connection_(connection), result_(result), progress_(progress) {}

  bool WriteTable(const AccessTable& table) {
    std::string definitions, names, marks;
    for (const AccessColumn& column : table.columns) {
      const char* comma = definitions.empty() ? "" : ", ";
      definitions += comma + QuoteName(column.name) + " " + SqliteColumnType(column);
      names += comma + QuoteName(column.name);
      marks += std::string(comma) + "?";
    }
    if (!Run(connection_, "CREATE TABLE " + QuoteName(table.name) + " (" + definitions + ")"))
      return WriteFailed();
    AdoStatement insert(connection_, "INSERT INTO " + QuoteName(table.name) + " (" + names +
                                         ") VALUES (" + marks + ")");
    if (!insert.Prepared()) return WriteFailed();
    bool written = true;
    const AccessError error = file_.ReadRows(table, [&](const std::vector<AdoValue>& row) {
      for (std::size_t c = 0; c < row.size(); ++c)
        insert.Bind(static_cast<int>(c) + 1, Stored(table.columns[c], row[c]));
      written = insert.Run();
      ++result_.rows;
      progress_.Advance();
      return written;
    });
    if (!written) return WriteFailed();
    if (error.Failed()) {
      result_.outcome = ConversionResult::Outcome::InputFailed;
      result_.input = error;
      return false;
    }
    ++result_.tables;
    progress_.Advance();
    return true;
  }

 private:
  static AdoValue Stored(const AccessColumn& column, const AdoValue& value) {
    if (column.type != JetType::DateTime || !std::holds_alternative<double>(value)) return value;
    std::optional<std::string> text = JetDateText(std::get<double>(value));
    return text ? AdoValue{std::move(*text)} : value;
  }

  bool WriteFailed() {
    result_.outcome = ConversionResult::Outcome::WriteFailed;
    result_.output = connection_.LastError();
    return false;
  }

  AccessFile& file_;
  AdoConnection& connection_;
  ConversionResult& result_;
  RowProgress& progress_;
};

std::string ResultMessage(const ConversionResult& result, const std::filesystem::path& access,
                          const std::filesystem::path& output) {
  switch (result.outcome) {
    case ConversionResult::Outcome::Converted:
      return {};
    case ConversionResult::Outcome::OutputExists:
      return PathText(output) + "已存在, 未转换, 也未改动它。";
    case ConversionResult::Outcome::InputFailed:
      return "无法读取" + PathText(access) + ": " + AccessErrorText(result.input);
    case ConversionResult::Outcome::WriteFailed:
      break;
  }
  return "无法写入" + PathText(output) +
         (result.output.text.empty() ? "。" : ": " + result.output.text);
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() !=
         std::filesystem::file_type::not_found;
}

// Writes every table into the new file in one transaction, then finishes it; the connection is
// gone on return.
void WriteTables(AccessFile& file, const std::filesystem::path& path, const Services& services,
                 const ConversionFinish& finish, ConversionResult& result) {
  AdoConnection connection(services);
  if (!OpenNewDatabase(connection, path) || !Run(connection, "BEGIN")) {
    result.output = connection.LastError();
    return;
  }
  result.outcome = ConversionResult::Outcome::Converted;
  RowProgress progress(*services.progress, file.Tables());
  Converter converter(file, connection, result, progress);
  for (const AccessTable& table : file.Tables())
    if (!converter.WriteTable(table)) return;  // closing the connection rolls back
  if (!Run(connection, "COMMIT") || (finish && !finish(connection))) {
    result.outcome = ConversionResult::Outcome::WriteFailed;
    result.output = connection.LastError();
  }
}

ConversionResult Convert(const std::filesystem::path& access, const std::filesystem::path& output,
                         const Services& services, const ConversionFinish& finish) {
  ConversionResult result;
  if (Exists(output)) {
    result.outcome = ConversionResult::Outcome::OutputExists;
    return result;
  }
  std::unique_ptr<AccessFile> file = AccessFile::Open(access, result.input);
  if (!file) {
    result.outcome = ConversionResult::Outcome::InputFailed;
    return result;
  }
  const std::optional<std::filesystem::path> temporary = CreateTemporaryFile(output);
  result.outcome = ConversionResult::Outcome::WriteFailed;
  if (!temporary) {
    result.output.text = std::strerror(errno);
    return result;
  }
  WriteTables(*file, *temporary, services, finish, result);
  if (result.Converted() && !RenameWithoutReplacing(*temporary, output)) {
    result.outcome = errno == EEXIST ? ConversionResult::Outcome::OutputExists
                                     : ConversionResult::Outcome::WriteFailed;
    result.output = {0, std::strerror(errno), errno};
  }
  if (!result.Converted()) RemoveTemporary(*temporary);
  return result;
}

}  // namespace

ConversionResult ConvertAccessFile(const std::filesystem::path& access,
                                   const std::filesystem::path& output, const Services& services,
                                   const ConversionFinish& finish) {
  ConversionResult result = Convert(access, output, services, finish);
  result.message = ResultMessage(result, access, output);
  if (!result.Converted()) services.trace->Write("convert: " + result.message);
  return result;
}

std::string SqliteColumnType(const AccessColumn& column) {
  switch (column.type) {
    case JetType::Long:
      return column.autoNumber ? "INTEGER identity" : "INTEGER";
    case JetType::Boolean:
    case JetType::Byte:
    case JetType::Integer:
      return "INTEGER";
    case JetType::Decimal:
      return column.scale == 0 ? "INTEGER" : "DOUBLE";
    case JetType::Single:
      return "REAL";
    case JetType::Double:
    case JetType::Currency:
      return "DOUBLE";
    case JetType::DateTime:
      return "DATETIME";
    case JetType::Text:
    case JetType::Guid:
      return "VARCHAR";
    case JetType::Memo:
      return "TEXT";
    case JetType::Binary:
    case JetType::OleObject:
    case JetType::Unsupported:
      break;
  }
  return "BLOB";
}

std::optional<std::string> JetDateText(double days) {
  if (!std::isfinite(days) || std::fabs(days) > kLargestDay) return std::nullopt;
  // The whole part counts days from 1899-12-30, the fraction is the time of that day, also
  // before that date (-1.25 is 1899-12-29 06:00).
  std::int64_t day = static_cast<std::int64_t>(std::trunc(days));
  auto milliseconds = static_cast<std::int64_t>(
      std::llround(std::fabs(days - static_cast<double>(day)) * kMillisecondsPerDay));
  if (milliseconds >= static_cast<std::int64_t>(kMillisecondsPerDay)) {
    milliseconds -= static_cast<std::int64_t>(kMillisecondsPerDay);
    ++day;
  }
  // Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
  const std::int64_t z = day - kDaysBefore1970 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const std::int64_t dayOfMonth = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[48];
  const std::int64_t seconds = milliseconds / 1000;
  int length = std::snprintf(
      text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", static_cast<long long>(year),
      static_cast<long long>(month), static_cast<long long>(dayOfMonth),
      static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
      static_cast<long long>(seconds % 60));
  if (milliseconds % 1000 != 0)
    std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ".%03lld",
                  static_cast<long long>(milliseconds % 1000));
  return text;
}

}  // namespace hdmjm
