// The page layout of an Access (Jet) file as far as this reader decodes it itself: the row table
// of a data page with its flags, row pointers, long values (memo and OLE) and the fixed-width
// numbers. Pure functions over page bytes; every offset is checked against the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ado.h"

namespace hdmjm::jet {

using Bytes = std::span<const unsigned char>;

struct PageLayout {
  std::size_t pageSize = 4096;  // 2048 in Jet 3
  std::size_t rowCountAt = 12;  // where a data page's row count stands (8 in Jet 3)
};

// Little-endian reads; the caller has checked that the bytes are there.
std::uint32_t Get16(Bytes bytes, std::size_t at);
std::uint32_t Get32(Bytes bytes, std::size_t at);
std::uint64_t Get64(Bytes bytes, std::size_t at);

// A row slot of a data page: [start, end) within the page.
struct Slot {
  enum class Kind { Live, Deleted, Overflow } kind = Kind::Live;
  std::size_t start = 0;
  std::size_t end = 0;
};

// The number of slots of a data page; nothing when its row table does not fit the page.
std::optional<unsigned> SlotCount(Bytes page, const PageLayout& layout);
// The slot'th row; nothing when its bounds lie outside the page or overlap the row table.
std::optional<Slot> FindSlot(Bytes page, const PageLayout& layout, unsigned slot);

// Whether `page` is a data page of the table whose definition is at page `table`.
bool IsDataPageOf(Bytes page, std::uint32_t table);

// Reads a page; nothing when it cannot be read. The bytes stay valid until the next call.
using PageReader = std::function<std::optional<Bytes>(std::uint32_t page)>;

// The pages below `pageCount` that a table's usage map marks as its own, in increasing order;
// nothing when the map is of no known kind or one of its pages cannot be read.
std::optional<std::vector<std::uint32_t>> MappedPages(Bytes map, const PageLayout& layout,
                                                      std::uint32_t pageCount,
                                                      const PageReader& read);

// Whether a table definition's pages, from `first` along their chain, are all there and all
// definition pages (mdbtools reads on from whatever its buffer holds when one is missing).
bool DefinitionPagesSound(std::uint32_t first, const PageLayout& layout, const PageReader& read);

// Where a row is: its page and its slot there. Stored as 4 bytes, the slot in the low one.
struct RowRef {
  std::uint32_t page = 0;
  unsigned slot = 0;
  bool operator==(const RowRef&) const = default;
  auto operator<=>(const RowRef&) const = default;
};
RowRef DecodeRowPointer(std::uint32_t pointer);

// The live rows of a table as its data pages are visited in order. A row moved to another page
// (an overflow slot) is taken where its slot stands and not again where the data lies.
class LiveRows {
 public:
  // False when the page's row table or an overflow slot is damaged.
  bool AddPage(std::uint32_t number, Bytes page, const PageLayout& layout);
  // Each row once, as the slot that holds it or points to it (see LocateRow), in slot order.
  std::vector<RowRef> Rows() const;

 private:
  struct Entry {
    RowRef slot;         // where the slot stands
    RowRef data;         // where its data lies: the slot itself, or where an overflow slot points
    bool moved = false;  // an overflow slot
  };
  std::vector<Entry> entries_;
};

// Follows overflow slots from `row` to the slot that holds the data (at most a few hops) and
// checks that the page is a data page of the table whose definition is at `tablePage`.
std::optional<Slot> LocateRow(RowRef row, std::uint32_t tablePage, const PageLayout& layout,
                              const PageReader& read, Bytes* page);

// The bytes of a memo or OLE value whose 12-byte header is `field`: kept in the row, in one row
// of a long-value page, or in a chain of them. False when the value is damaged.
bool ReadLongValue(Bytes field, const PageLayout& layout, const PageReader& read,
                   std::vector<unsigned char>& out);

// A Decimal (sign byte and a 96-bit magnitude in 16 bytes) with `scale` digits after the point:
// an integer when scale is 0 and it fits, otherwise the nearest double.
std::optional<AdoValue> DecodeDecimal(Bytes field, int scale);
// Currency: a count of ten-thousandths.
double DecodeCurrency(Bytes field);
// A replication id as Access shows it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string FormatGuid(Bytes field);

}  // namespace hdmjm::jet
