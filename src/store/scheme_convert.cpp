#include "scheme_convert.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "scheme_writer.h"
#include "table_source.h"

namespace hdmjm {
namespace {

constexpr int kNameTries = 100;
constexpr char kOriginalMark[] = "access";
constexpr char kConvertingMark[] = "converting";

// 示例方案.mdb with `mark`: 示例方案.access.mdb, then 示例方案.access2.mdb, ...
std::filesystem::path Marked(const std::filesystem::path& scheme, const std::string& mark,
                             int number) {
  std::filesystem::path name = scheme.parent_path() / scheme.stem();
  name += "." + mark + (number > 1 ? std::to_string(number) : std::string());
  name += scheme.extension();
  return name;
}

// Another name for the same bytes, never over a file there: a hard link, or a copy where the
// file system has none.
bool KeepUnder(const std::filesystem::path& file, const std::filesystem::path& name,
               std::error_code& error) {
  if (::link(file.c_str(), name.c_str()) == 0) return true;
  if (errno == EEXIST) {
    error = std::make_error_code(std::errc::file_exists);
    return false;
  }
  return std::filesystem::copy_file(file, name, std::filesystem::copy_options::none, error);
}

std::optional<std::filesystem::path> KeepOriginal(const std::filesystem::path& scheme,
                                                  std::error_code& error) {
  for (int number = 1; number <= kNameTries; ++number) {
    const std::filesystem::path name = Marked(scheme, kOriginalMark, number);
    error.clear();
    if (KeepUnder(scheme, name, error)) return name;
    if (error != std::errc::file_exists) return std::nullopt;
  }
  return std::nullopt;
}

ConversionResult WriteFailed(const std::filesystem::path& path, const std::error_code& error) {
  ConversionResult result;
  result.outcome = ConversionResult::Outcome::WriteFailed;
  result.output = {0, error.message(), error.value()};
  result.message = "无法写入" + path.string() + ": " + error.message();
  return result;
}

// Converting a file whose tables are no scheme's would only make an empty scheme of it.
bool IsScheme(const std::filesystem::path& access) {
  SourceFailure failure;
  const std::unique_ptr<TableSource> source = OpenAccessSource(access, failure);
  ColumnCatalogue catalogue;
  return !source || !source->ReadCatalogue(catalogue) || HoldsScheme(catalogue);
}

}  // namespace

ConversionResult ConvertScheme(const std::filesystem::path& access,
                               const std::filesystem::path& output, const Services& services) {
  if (!IsScheme(access)) {
    ConversionResult refused;
    refused.outcome = ConversionResult::Outcome::InputFailed;
    refused.message = access.string() + ": " + CauseMessage(FailureCause::NotScheme, {});
    return refused;
  }
  return ConvertAccessFile(access, output, services, [](AdoConnection& connection) {
    return SchemeWriter(connection).Prepare();
  });
}

std::filesystem::path AccessOriginalPath(const std::filesystem::path& scheme) {
  return Marked(scheme, kOriginalMark, 1);
}

InPlaceConversion ConvertSchemeInPlace(const std::filesystem::path& scheme,
                                       const Services& services) {
  InPlaceConversion done;
  std::filesystem::path converted;
  for (int number = 1; number <= kNameTries; ++number) {
    converted = Marked(scheme, kConvertingMark, number);
    done.result = ConvertScheme(scheme, converted, services);
    if (done.result.outcome != ConversionResult::Outcome::OutputExists) break;
  }
  if (!done.result.Converted()) return done;
  std::error_code error;
  const std::optional<std::filesystem::path> original = KeepOriginal(scheme, error);
  if (original) std::filesystem::rename(converted, scheme, error);
  if (!original || error) {
    std::error_code ignored;
    if (original) std::filesystem::remove(*original, ignored);
    std::filesystem::remove(converted, ignored);
    done.result = WriteFailed(original ? scheme : Marked(scheme, kOriginalMark, 1), error);
    return done;
  }
  done.original = *original;
  return done;
}

}  // namespace hdmjm
