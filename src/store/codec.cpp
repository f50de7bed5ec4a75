#include "codec.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace hdmjm {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t kMaxTokenBytes = 255;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at the start of `bytes`, or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!IsContinuation(at(i))) return 0;
  return length;
}

// Converts with iconv. A sequence the converter refuses becomes `replacement`, and the input
// moves on by `skip` bytes of it; one cut short by the end of the input ends the text.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, std::size_t (*skip)(std::string_view)) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string output;
  char buffer[4096];
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = iconv(converter, &in, &inLeft, &out, &outLeft);
    output.append(buffer, out);
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    output += replacement;
    if (errno == EINVAL) break;  // a sequence cut short by the end of the input
    const std::size_t step = std::min(inLeft, skip(std::string_view(in, inLeft)));
    in += step;
    inLeft -= step;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return output;
}

std::size_t OneByte(std::string_view) { return 1; }

// A UTF-8 character GBK cannot hold is skipped whole; a broken byte alone.
std::size_t OneCharacter(std::string_view utf8) {
  return std::max<std::size_t>(1, Utf8SequenceLength(utf8));
}

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
File OpenFile(const std::filesystem::path& path, const char* mode) {
  return File(std::fopen(path.c_str(), mode), std::fclose);
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Text mode reading: a line ends in "\n", whatever ended it in the file.
std::string WithoutCarriageReturns(std::string text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  return lines;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

std::string GbkToUtf8(std::string_view gbk) {
  return Convert("UTF-8", "GBK", gbk, kUtf8Replacement, OneByte);
}

std::string Utf8ToGbk(std::string_view utf8) {
  return Convert("GBK", "UTF-8", utf8, "?", OneCharacter);
}

std::optional<TextFile> ReadTextFile(const std::filesystem::path& path, bool* missing) {
  // The C library's files: a folder or a failing read is an error to look at, not an exception.
  const File in = OpenFile(path, "rb");
  if (missing) *missing = !in && errno == ENOENT;
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
    bytes.append(buffer, got);
  if (std::ferror(in.get())) return std::nullopt;
  TextFile file;
  if (IsValidUtf8(bytes)) {
    if (bytes.starts_with(kUtf8Bom)) bytes.erase(0, kUtf8Bom.size());
    file.text = WithoutCarriageReturns(std::move(bytes));
    file.encoding = TextEncoding::Utf8;
  } else {
    file.text = WithoutCarriageReturns(GbkToUtf8(bytes));
    file.encoding = TextEncoding::Gbk;
  }
  return file;
}

bool WriteTextFile(const std::filesystem::path& path, std::string_view utf8,
                   TextEncoding encoding) {
  const std::string bytes = encoding == TextEncoding::Gbk ? Utf8ToGbk(utf8) : std::string(utf8);
  File out = OpenFile(path, "wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
  return std::fclose(out.release()) == 0 && written;
}

std::string FirstToken(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsSpace(text[start])) ++start;
  std::size_t end = start;
  while (end < text.size() && !IsSpace(text[end])) ++end;
  // The program always held a token in 255 bytes; a longer one is cut, never inside a character.
  if (end - start > kMaxTokenBytes) {
    end = start + kMaxTokenBytes;
    while (end > start && IsContinuation(static_cast<unsigned char>(text[end]))) --end;
  }
  return std::string(text.substr(start, end - start));
}

}  // namespace hdmjm
