#include "access_pages.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <set>

namespace hdmjm::jet {
namespace {

constexpr unsigned char kDataPage = 0x01;
constexpr std::size_t kOwnerAt = 4;  // a data page's table definition page, or "LVAL"
constexpr std::uint32_t kDeletedFlag = 0x8000;
constexpr std::uint32_t kOverflowFlag = 0x4000;
constexpr std::uint32_t kOffsetMask = 0x1FFF;
constexpr std::size_t kPointerSize = 4;
constexpr int kMaxOverflowHops = 4;

constexpr std::size_t kLongValueHeader = 12;
constexpr std::uint32_t kLongValueInRow = 0x80000000;
constexpr std::uint32_t kLongValueOneRow = 0x40000000;
constexpr std::uint32_t kLongValueLength = 0x3FFFFFFF;
constexpr std::size_t kDecimalSize = 17;
constexpr std::size_t kGuidSize = 16;

// The page `number` when it is a data page whose owner field holds `owner`.
std::optional<Bytes> DataPage(const PageReader& read, std::uint32_t number,
                              const PageLayout& layout, std::uint32_t owner) {
  const std::optional<Bytes> page = read(number);
  if (!page || page->size() < layout.pageSize || !IsDataPageOf(*page, owner)) return std::nullopt;
  return page->first(layout.pageSize);
}

// Adds the pages whose bits are set in `bits`, the first bit standing for page `first`.
void AddMarkedPages(Bytes bits, std::uint64_t first, std::uint32_t pageCount,
                    std::vector<std::uint32_t>& pages) {
  for (std::size_t i = 0; i < bits.size(); ++i)
    for (unsigned bit = 0; bit < 8; ++bit) {
      const std::uint64_t page = first + i * 8 + bit;
      if ((bits[i] >> bit & 1) && page < pageCount)
        pages.push_back(static_cast<std::uint32_t>(page));
    }
}

// The bytes of one row of a long-value page.
std::optional<Bytes> LongValueRow(RowRef row, const PageLayout& layout, const PageReader& read) {
  constexpr std::uint32_t kLval = 'L' | 'V' << 8 | 'A' << 16 | std::uint32_t{'L'} << 24;
  const std::optional<Bytes> page = DataPage(read, row.page, layout, kLval);
  if (!page) return std::nullopt;
  const std::optional<Slot> slot = FindSlot(*page, layout, row.slot);
  if (!slot || slot->kind == Slot::Kind::Overflow || slot->start == slot->end) return std::nullopt;
  return page->subspan(slot->start, slot->end - slot->start);
}

bool ReadLongValueChain(RowRef row, std::size_t length, const PageLayout& layout,
                        const PageReader& read, std::vector<unsigned char>& out) {
  std::set<RowRef> visited;
  while (out.size() < length) {
    if (!visited.insert(row).second) return false;  // a chain that loops
    const std::optional<Bytes> bytes = LongValueRow(row, layout, read);
    if (!bytes || bytes->size() <= kPointerSize) return false;
    const std::size_t take = std::min(bytes->size() - kPointerSize, length - out.size());
    out.insert(out.end(), bytes->begin() + kPointerSize, bytes->begin() + kPointerSize + take);
    row = DecodeRowPointer(Get32(*bytes, 0));
    if (out.size() < length && row.page == 0) return false;  // the chain ends too early
  }
  return true;
}

// The digits of a 128-bit magnitude.
std::string Digits(unsigned __int128 value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  return digits;
}

}  // namespace

std::uint32_t Get16(Bytes bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

std::uint32_t Get32(Bytes bytes, std::size_t at) {
  return Get16(bytes, at) | Get16(bytes, at + 2) << 16;
}

std::uint64_t Get64(Bytes bytes, std::size_t at) {
  return Get32(bytes, at) | std::uint64_t{Get32(bytes, at + 4)} << 32;
}

std::optional<unsigned> SlotCount(Bytes page, const PageLayout& layout) {
  if (page.size() < layout.pageSize || layout.rowCountAt + 2 > layout.pageSize) return std::nullopt;
  const unsigned count = Get16(page, layout.rowCountAt);
  if (layout.rowCountAt + 2 + 2 * std::size_t{count} > layout.pageSize) return std::nullopt;
  return count;
}

std::optional<Slot> FindSlot(Bytes page, const PageLayout& layout, unsigned slot) {
  const std::optional<unsigned> count = SlotCount(page, layout);
  if (!count || slot >= *count) return std::nullopt;
  const std::size_t tableEnd = layout.rowCountAt + 2 + 2 * std::size_t{*count};
  const std::uint32_t raw = Get16(page, layout.rowCountAt + 2 + 2 * std::size_t{slot});
  // Rows fill the page from its end: a row ends where the row of the slot before it starts.
  const std::size_t start = raw & kOffsetMask;
  const std::size_t end =
      slot == 0 ? layout.pageSize
                : Get16(page, layout.rowCountAt + 2 * std::size_t{slot}) & kOffsetMask;
  const bool inside = start >= tableEnd && start < end && end <= layout.pageSize;
  if (raw & kDeletedFlag)
    return inside ? Slot{Slot::Kind::Deleted, start, end} : Slot{Slot::Kind::Deleted};
  if (!inside) return std::nullopt;
  const auto kind = raw & kOverflowFlag ? Slot::Kind::Overflow : Slot::Kind::Live;
  if (kind == Slot::Kind::Overflow && end - start < kPointerSize) return std::nullopt;
  return Slot{kind, start, end};
}

bool IsDataPageOf(Bytes page, std::uint32_t table) {
  return page.size() > kOwnerAt + 4 && page[0] == kDataPage && Get32(page, kOwnerAt) == table;
}

std::optional<std::vector<std::uint32_t>> MappedPages(Bytes map, const PageLayout& layout,
                                                      std::uint32_t pageCount,
                                                      const PageReader& read) {
  // Kind 0 holds the bits itself after the first page's number; kind 1 lists pages of bits,
  // each covering the pages its whole bitmap can count.
  constexpr unsigned char kInlineMap = 0, kMapPages = 1, kMapPage = 0x05;
  constexpr std::size_t kMapPageHeader = 4;
  std::vector<std::uint32_t> pages;
  if (map.size() >= 5 && map[0] == kInlineMap) {
    AddMarkedPages(map.subspan(5), Get32(map, 1), pageCount, pages);
    return pages;
  }
  if (map.empty() || map[0] != kMapPages) return std::nullopt;
  const std::uint64_t pagesPerMapPage = (layout.pageSize - kMapPageHeader) * 8;
  for (std::size_t k = 0; 1 + 4 * k + 4 <= map.size(); ++k) {
    const std::uint32_t mapPage = Get32(map, 1 + 4 * k);
    if (mapPage == 0) continue;
    const std::optional<Bytes> bits = read(mapPage);
    if (!bits || bits->size() < layout.pageSize || (*bits)[0] != kMapPage) return std::nullopt;
    AddMarkedPages(bits->subspan(kMapPageHeader, layout.pageSize - kMapPageHeader),
                   k * pagesPerMapPage, pageCount, pages);
  }
  return pages;
}

bool DefinitionPagesSound(std::uint32_t first, const PageLayout& layout, const PageReader& read) {
  constexpr unsigned char kDefinitionPage = 0x02;
  constexpr std::size_t kNextAt = 4;
  std::set<std::uint32_t> visited;
  for (std::uint32_t page = first; page != 0;) {
    if (!visited.insert(page).second) return false;
    const std::optional<Bytes> bytes = read(page);
    if (!bytes || bytes->size() < layout.pageSize || (*bytes)[0] != kDefinitionPage) return false;
    page = Get32(*bytes, kNextAt);
  }
  return true;
}

RowRef DecodeRowPointer(std::uint32_t pointer) { return RowRef{pointer >> 8, pointer & 0xFF}; }

bool LiveRows::AddPage(std::uint32_t number, Bytes page, const PageLayout& layout) {
  const std::optional<unsigned> count = SlotCount(page, layout);
  if (!count) return false;
  for (unsigned s = 0; s < *count; ++s) {
    const std::optional<Slot> slot = FindSlot(page, layout, s);
    if (!slot) return false;
    if (slot->kind == Slot::Kind::Deleted) continue;
    const RowRef here{number, s};
    const RowRef data =
        slot->kind == Slot::Kind::Overflow ? DecodeRowPointer(Get32(page, slot->start)) : here;
    entries_.push_back({here, data, slot->kind == Slot::Kind::Overflow});
  }
  return true;
}

std::vector<RowRef> LiveRows::Rows() const {
  // A slot that an overflow slot points to is reached through that one only.
  std::set<RowRef> targets;
  for (const Entry& entry : entries_)
    if (entry.moved) targets.insert(entry.data);
  std::vector<RowRef> rows;
  for (const Entry& entry : entries_)
    if (!targets.contains(entry.slot)) rows.push_back(entry.slot);
  return rows;
}

std::optional<Slot> LocateRow(RowRef row, std::uint32_t tablePage, const PageLayout& layout,
                              const PageReader& read, Bytes* page) {
  for (int hop = 0; hop <= kMaxOverflowHops; ++hop) {
    const std::optional<Bytes> bytes = DataPage(read, row.page, layout, tablePage);
    if (!bytes) return std::nullopt;
    const std::optional<Slot> slot = FindSlot(*bytes, layout, row.slot);
    if (!slot) return std::nullopt;
    if (slot->kind == Slot::Kind::Overflow) {
      row = DecodeRowPointer(Get32(*bytes, slot->start));
      continue;
    }
    // The data of a moved row carries the deleted flag, so that page scans pass it by.
    if (slot->kind == Slot::Kind::Deleted && (hop == 0 || slot->start == slot->end))
      return std::nullopt;
    *page = *bytes;
    return slot;
  }
  return std::nullopt;
}

bool ReadLongValue(Bytes field, const PageLayout& layout, const PageReader& read,
                   std::vector<unsigned char>& out) {
  out.clear();
  if (field.size() < kLongValueHeader) return false;
  const std::uint32_t header = Get32(field, 0);
  const std::size_t length = header & kLongValueLength;
  if (header & kLongValueInRow) {
    if (length > field.size() - kLongValueHeader) return false;
    out.assign(field.begin() + kLongValueHeader, field.begin() + kLongValueHeader + length);
    return true;
  }
  const RowRef first = DecodeRowPointer(Get32(field, 4));
  if (!(header & kLongValueOneRow)) return ReadLongValueChain(first, length, layout, read, out);
  const std::optional<Bytes> bytes = LongValueRow(first, layout, read);
  if (!bytes || bytes->size() < length) return false;
  out.assign(bytes->begin(), bytes->begin() + length);
  return true;
}

std::optional<AdoValue> DecodeDecimal(Bytes field, int scale) {
  if (field.size() < kDecimalSize || scale < 0) return std::nullopt;
  // The magnitude's four 32-bit words stand most significant first, each little-endian.
  unsigned __int128 magnitude = 0;
  for (std::size_t word = 0; word < 4; ++word)
    magnitude = magnitude << 32 | Get32(field, 1 + 4 * word);
  const bool negative = field[0] != 0;
  constexpr auto kLimit = static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max());
  if (scale == 0 && magnitude <= kLimit + (negative ? 1 : 0)) {
    const auto value = static_cast<std::uint64_t>(magnitude);
    return negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
  }
  std::string digits = Digits(magnitude);
  if (scale > 0) {
    const auto point = static_cast<std::size_t>(scale);
    if (digits.size() <= point) digits.insert(0, point + 1 - digits.size(), '0');
    digits.insert(digits.size() - point, ".");
  }
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return negative ? -value : value;
}

double DecodeCurrency(Bytes field) {
  return static_cast<double>(static_cast<std::int64_t>(Get64(field, 0))) / 10000.0;
}

std::string FormatGuid(Bytes field) {
  if (field.size() < kGuidSize) return {};
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                Get32(field, 0), Get16(field, 4), Get16(field, 6), field[8], field[9], field[10],
                field[11], field[12], field[13], field[14], field[15]);
  return text;
}

}  // namespace hdmjm::jet
