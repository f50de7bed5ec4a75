#include "clipboard_text.h"

namespace hdmjm {
namespace {

constexpr std::string_view kBlanks = " \t\v\f";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Reads the text one field at a time; `pos_` is where the next field begins.
class FieldReader {
 public:
  FieldReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  // The next field, and whether it ended its row.
  std::string Next(bool& rowEnded) {
    std::string field;
    if (!ReadQuoted(field)) field = Trim(ReadRaw());
    rowEnded = SkipSeparator();
    return field;
  }

 private:
  bool IsFieldEnd(std::size_t at) const {
    return at >= text_.size() || text_[at] == separator_ || text_[at] == '\n' ||
           (text_[at] == '\r' && (at + 1 == text_.size() || text_[at + 1] == '\n'));
  }

  std::string_view ReadRaw() {
    const std::size_t start = pos_;
    while (!IsFieldEnd(pos_)) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // A quoted field with its closing quote right before a field end; false leaves `pos_` alone,
  // so that a stray quote is read as text.
  bool ReadQuoted(std::string& field) {
    std::size_t at = pos_;
    while (at < text_.size() && text_[at] == ' ') ++at;
    if (at >= text_.size() || text_[at] != '"') return false;
    std::string value;
    for (++at; at < text_.size(); ++at) {
      if (text_[at] != '"') {
        value += text_[at];
        continue;
      }
      if (at + 1 < text_.size() && text_[at + 1] == '"') {
        value += '"';
        ++at;
        continue;
      }
      std::size_t end = at + 1;
      while (end < text_.size() && text_[end] == ' ') ++end;
      if (!IsFieldEnd(end)) return false;
      field = std::move(value);
      pos_ = end;
      return true;
    }
    return false;
  }

  // Steps over the separator after a field; true when it was a line end or the end of the text.
  bool SkipSeparator() {
    if (pos_ >= text_.size()) return true;
    if (text_[pos_] == separator_) {
      ++pos_;
      return false;
    }
    if (text_[pos_] == '\r') ++pos_;
    ++pos_;  // the line feed
    return true;
  }

  std::string_view text_;
  char separator_;
  std::size_t pos_ = 0;
};

}  // namespace

PastedRows ParsePastedText(std::string_view text) {
  FieldReader reader(text, text.find('\t') != std::string_view::npos ? '\t' : ',');
  PastedRows rows;
  std::vector<std::string> row;
  while (!reader.AtEnd()) {
    bool rowEnded = false;
    row.push_back(reader.Next(rowEnded));
    if (!rowEnded && !reader.AtEnd()) continue;
    if (!rowEnded) row.emplace_back();  // a separator as the last character closes an empty field
    rows.push_back(std::move(row));
    row.clear();
  }
  return rows;
}

std::string QuoteCopiedField(std::string_view text) {
  const bool plain =
      text.find_first_of("\t\n\r") == std::string_view::npos && Trim(text).substr(0, 1) != "\"";
  if (plain) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace hdmjm
