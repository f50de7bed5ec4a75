// The page layout the Access reader decodes itself, on pages built here: row slots with their
// deleted and moved rows, long values, usage maps and Decimals, sound and damaged.
#include "store/access_pages.h"

#include <gtest/gtest.h>

#include <map>

namespace hdmjm::jet {
namespace {

const PageLayout kLayout{512, 12};
using Page = std::vector<unsigned char>;

void Put16(Page& page, std::size_t at, std::uint32_t value) {
  page[at] = value & 0xFF;
  page[at + 1] = value >> 8 & 0xFF;
}
void Put32(Page& page, std::size_t at, std::uint32_t value) {
  Put16(page, at, value & 0xFFFF);
  Put16(page, at + 2, value >> 16);
}
Page Pointer(std::uint32_t page, unsigned slot) {
  Page bytes(4);
  Put32(bytes, 0, page << 8 | slot);
  return bytes;
}

struct Row {
  std::uint32_t flags;
  Page bytes;
};

// A data page owned by `owner`, its rows laid from the end of the page as Access lays them.
Page DataPage(std::uint32_t owner, const std::vector<Row>& rows) {
  Page page(kLayout.pageSize);
  page[0] = 1;
  Put32(page, 4, owner);
  Put16(page, kLayout.rowCountAt, static_cast<std::uint32_t>(rows.size()));
  std::size_t end = page.size();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t start = end - rows[i].bytes.size();
    std::copy(rows[i].bytes.begin(), rows[i].bytes.end(), page.begin() + start);
    Put16(page, kLayout.rowCountAt + 2 + 2 * i, static_cast<std::uint32_t>(start) | rows[i].flags);
    end = start;
  }
  return page;
}

PageReader Reader(const std::map<std::uint32_t, Page>& pages) {
  return [&pages](std::uint32_t number) -> std::optional<Bytes> {
    const auto found = pages.find(number);
    return found == pages.end() ? std::nullopt : std::optional<Bytes>(found->second);
  };
}

std::string Text(Bytes bytes) { return {bytes.begin(), bytes.end()}; }

// A row moved to another page is reached once, through its slot, whether or not its data
// carries the deleted flag; a deleted row is not reached at all.
TEST(AccessPagesTest, LiveRowsLeaveDeletedOutAndTakeMovedRowsOnce) {
  for (const std::uint32_t movedFlag : {0x8000u, 0u}) {
    std::map<std::uint32_t, Page> pages{
        {10, DataPage(5, {{0, Page{'a'}}, {0x8000, Page{'b'}}, {0x4000, Pointer(11, 1)}})},
        {11, DataPage(5, {{0, Page{'c'}}, {movedFlag, Page{'d'}}})},
    };
    LiveRows live;
    for (std::uint32_t number : {10u, 11u})
      EXPECT_TRUE(live.AddPage(number, pages[number], kLayout));
    const std::vector<RowRef> rows = live.Rows();
    EXPECT_EQ(rows, (std::vector<RowRef>{{10, 0}, {10, 2}, {11, 0}})) << movedFlag;
    std::string found;
    for (const RowRef& row : rows) {
      Bytes page;
      const std::optional<Slot> slot = LocateRow(row, 5, kLayout, Reader(pages), &page);
      if (slot) found += Text(page.subspan(slot->start, slot->end - slot->start));
    }
    EXPECT_EQ(found, "adc");
    Bytes page;
    EXPECT_FALSE(LocateRow({10, 1}, 5, kLayout, Reader(pages), &page));  // deleted
    EXPECT_FALSE(LocateRow({10, 2}, 6, kLayout, Reader(pages), &page));  // another table's
    // Too many slots, a row inside the slot table, a row ending where it starts, a moved row's
    // pointer cut short: the page is refused.
    for (const auto& [at, value] :
         {std::pair{12u, 300u}, {14u, 4u}, {16u, 0x1FFu}, {18u, 0x41FCu}}) {
      Page damaged = pages[10];
      Put16(damaged, at, value);
      EXPECT_FALSE(LiveRows().AddPage(10, damaged, kLayout)) << at;
    }
  }
}

TEST(AccessPagesTest, LongValuesInTheRowOnOnePageOrChained) {
  const auto header = [](std::uint32_t lengthAndKind, std::uint32_t page, unsigned slot) {
    Page field(12);
    Put32(field, 0, lengthAndKind);
    Put32(field, 4, page << 8 | slot);
    return field;
  };
  const auto lval = [](const std::vector<Row>& rows) {
    Page page = DataPage(0, rows);
    std::copy_n("LVAL", 4, page.begin() + 4);
    return page;
  };
  Page inRow = header(0x80000003, 0, 0);
  inRow.insert(inRow.end(), {'x', 'y', 'z'});
  Page first = Pointer(21, 0), loop = Pointer(20, 0);
  first.insert(first.end(), {'h', 'e', 'l'});
  loop.insert(loop.end(), {'l', 'o'});
  const std::map<std::uint32_t, Page> pages{
      {20, lval({{0, first}, {0, Page{'o', 'n', 'e'}}})},
      {21, lval({{0, loop}})},
      {22, DataPage(5, {{0, Page{'n', 'o'}}})},
  };
  const std::pair<Page, std::optional<std::string>> cases[] = {
      {inRow, "xyz"},
      {header(0x40000003, 20, 1), "one"},
      {header(5, 20, 0), "hello"},                // two rows of a chain
      {header(9, 20, 0), std::nullopt},           // the chain loops back before it is long enough
      {header(0x80000009, 0, 0), std::nullopt},   // longer than the row holds
      {header(0x40000002, 22, 0), std::nullopt},  // not a long-value page
      {Page(8), std::nullopt},
  };
  for (const auto& [field, value] : cases) {
    std::vector<unsigned char> out;
    const bool read = ReadLongValue(field, kLayout, Reader(pages), out);
    EXPECT_EQ(read ? std::optional<std::string>(Text(out)) : std::nullopt, value);
  }
}

TEST(AccessPagesTest, UsageMapsInlineOrOnMapPages) {
  Page inlineMap{0, 8, 0, 0, 0, 0b00000101, 0b10000000};  // pages 8, 10 and 23
  Page listed{1, 0, 0, 0, 0, 30, 0, 0, 0};                // the second map page is page 30
  Page mapPage(kLayout.pageSize);
  mapPage[0] = 0x05;
  mapPage[4] = 0b00000011;  // the first two pages it counts
  const std::map<std::uint32_t, Page> pages{{30, mapPage}};
  const std::uint32_t second = (kLayout.pageSize - 4) * 8;
  using Pages = std::optional<std::vector<std::uint32_t>>;
  EXPECT_EQ(MappedPages(inlineMap, kLayout, 100, Reader(pages)), (Pages{{8, 10, 23}}));
  EXPECT_EQ(MappedPages(inlineMap, kLayout, 20, Reader(pages)), (Pages{{8, 10}}));
  EXPECT_EQ(MappedPages(listed, kLayout, 9000, Reader(pages)), (Pages{{second, second + 1}}));
  listed[5] = 31;  // a map page that is not there
  EXPECT_EQ(MappedPages(listed, kLayout, 9000, Reader(pages)), std::nullopt);
  EXPECT_EQ(MappedPages(Page{7, 0, 0, 0, 0}, kLayout, 100, Reader(pages)), std::nullopt);
}

TEST(AccessPagesTest, DecimalsAreExactNumbers) {
  // Sign byte, then the 96-bit magnitude as 32-bit words, the most significant first.
  const auto decimal = [](bool negative, std::uint32_t high, std::uint32_t low) {
    Page field(17);
    field[0] = negative ? 0x80 : 0;
    Put32(field, 9, high);
    Put32(field, 13, low);
    return field;
  };
  const std::tuple<Page, int, AdoValue> cases[] = {
      {decimal(true, 0, 42), 0, std::int64_t{-42}},
      {decimal(false, 0, 1234), 2, 12.34},
      {decimal(true, 0, 5), 3, -0.005},
      {decimal(false, 0x80000000, 0), 0, 9223372036854775808.0},  // past the integers
  };
  for (const auto& [field, scale, value] : cases) EXPECT_EQ(DecodeDecimal(field, scale), value);
  EXPECT_EQ(DecodeDecimal(Page(16), 0), std::nullopt);
}

}  // namespace
}  // namespace hdmjm::jet
