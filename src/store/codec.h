// Text files from older installations may be GBK. A file is read as UTF-8 when it is valid
// UTF-8 and as GBK otherwise, and written back in the encoding it was read in.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace hdmjm {

enum class TextEncoding { Utf8, Gbk };

struct TextFile {
  std::string text;  // UTF-8
  TextEncoding encoding = TextEncoding::Utf8;
};

bool IsValidUtf8(std::string_view bytes);
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// Nothing when the file cannot be read: a missing file (then `missing` is set, when given), a
// folder, a read that fails. Never throws.
std::optional<TextFile> ReadTextFile(const std::filesystem::path& path, bool* missing = nullptr);
// Replaces the file; false when it cannot be written.
bool WriteTextFile(const std::filesystem::path& path, std::string_view utf8,
                   TextEncoding encoding = TextEncoding::Utf8);

// The first whitespace-delimited token of a text (a "%s" scan); empty when there is none.
std::string FirstToken(std::string_view text);

}  // namespace hdmjm
