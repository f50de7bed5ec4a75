#include <algorithm>
#include <bit>
#include <numeric>

#include "access_state.h"

namespace hdmjm {
namespace {

struct TypeInfo {
  int code;
  JetType type;
  std::size_t size;  // bytes a value takes; 0 when it varies
};
constexpr TypeInfo kTypes[] = {
    {MDB_BOOL, JetType::Boolean, 0},   {MDB_BYTE, JetType::Byte, 1},
    {MDB_INT, JetType::Integer, 2},    {MDB_LONGINT, JetType::Long, 4},
    {MDB_MONEY, JetType::Currency, 8}, {MDB_FLOAT, JetType::Single, 4},
    {MDB_DOUBLE, JetType::Double, 8},  {MDB_DATETIME, JetType::DateTime, 8},
    {MDB_BINARY, JetType::Binary, 0},  {MDB_TEXT, JetType::Text, 0},
    {MDB_OLE, JetType::OleObject, 0},  {MDB_MEMO, JetType::Memo, 0},
    {MDB_REPID, JetType::Guid, 16},    {MDB_NUMERIC, JetType::Decimal, 17},
};

const TypeInfo* FindType(int code) {
  for (const TypeInfo& info : kTypes)
    if (info.code == code) return &info;
  return nullptr;
}

std::string UnsupportedText(const AccessColumn& column) {
  return "列“" + column.name + "”的类型(代码 " + std::to_string(column.typeCode) + ")无法读取。";
}

}  // namespace

AccessColumn DescribeColumn(const MdbColumn& column) {
  AccessColumn described;
  described.name = column.name;
  described.typeCode = column.col_type;
  const TypeInfo* info = FindType(column.col_type);
  described.type = info ? info->type : JetType::Unsupported;
  described.autoNumber = column.is_long_auto != 0;
  // mdbtools keeps a Decimal's scale in col_prec (and its precision in col_scale).
  described.scale = column.col_prec;
  return described;
}

std::optional<jet::Bytes> AccessFile::State::ReadPage(std::uint32_t page) {
  if (loadedPage != page) {
    loadedPage.reset();
    if (page >= pageCount || mdb_read_pg(mdb.get(), page) != mdb->fmt->pg_size) return std::nullopt;
    loadedPage = page;
  }
  return jet::Bytes(mdb->pg_buf, layout.pageSize);
}

// Reads into the second buffer, leaving the page of the row being decoded in place.
std::optional<jet::Bytes> AccessFile::State::ReadOtherPage(std::uint32_t page) {
  if (page >= pageCount || mdb_read_alt_pg(mdb.get(), page) != mdb->fmt->pg_size)
    return std::nullopt;
  return jet::Bytes(mdb->alt_pg_buf, layout.pageSize);
}

// The pages the table's usage map marks; every page when the map cannot be read, so that a
// damaged map loses no row (the pages that are not the table's are passed by all the same).
std::vector<std::uint32_t> AccessFile::State::TablePages(const MdbTableDef& definition) {
  const auto read = [this](std::uint32_t number) { return ReadPage(number); };
  const jet::Bytes map(definition.usage_map, definition.usage_map ? definition.map_sz : 0);
  if (auto pages = jet::MappedPages(map, layout, pageCount, read)) return std::move(*pages);
  std::vector<std::uint32_t> pages(pageCount);
  std::iota(pages.begin(), pages.end(), 0);
  return pages;
}

std::string AccessFile::State::Text(jet::Bytes bytes) {
  if (bytes.empty()) return {};
  // Each stored byte becomes at most three bytes of UTF-8, whatever the file's encoding.
  std::string text(bytes.size() * 3 + 4, '\0');
  const int length = mdb_unicode2ascii(mdb.get(), reinterpret_cast<const char*>(bytes.data()),
                                       bytes.size(), text.data(), text.size());
  text.resize(static_cast<std::size_t>(std::clamp<int>(length, 0, static_cast<int>(text.size()))));
  return text;
}

AccessError AccessFile::State::Decode(const AccessColumn& column, const MdbField& field,
                                      jet::Bytes page, const jet::Slot& slot, AdoValue& value) {
  // A Boolean's value is its bit in the null mask: Access keeps no NULL Boolean.
  if (column.type == JetType::Boolean) {
    value = std::int64_t{field.is_null ? 0 : 1};
    return {};
  }
  if (field.is_null) {
    value = nullptr;
    return {};
  }
  const TypeInfo* info = FindType(column.typeCode);
  if (!info) return Failure(AccessFault::Unsupported, UnsupportedText(column));
  if (field.siz < 0 || field.start < 0 || static_cast<std::size_t>(field.start) < slot.start ||
      static_cast<std::size_t>(field.start) + static_cast<std::size_t>(field.siz) > slot.end ||
      static_cast<std::size_t>(field.siz) < info->size)
    return Failure(AccessFault::Damaged, "列“" + column.name + "”的值超出了行的范围。");
  const jet::Bytes bytes =
      page.subspan(static_cast<std::size_t>(field.start), static_cast<std::size_t>(field.siz));
  std::vector<unsigned char> longValue;
  const auto readOther = [this](std::uint32_t number) { return ReadOtherPage(number); };
  switch (column.type) {
    case JetType::Byte:
      value = std::int64_t{bytes[0]};
      break;
    case JetType::Integer:
      value = std::int64_t{static_cast<std::int16_t>(jet::Get16(bytes, 0))};
      break;
    case JetType::Long:
      value = std::int64_t{static_cast<std::int32_t>(jet::Get32(bytes, 0))};
      break;
    case JetType::Currency:
      value = jet::DecodeCurrency(bytes);
      break;
    case JetType::Single:
      value = double{std::bit_cast<float>(jet::Get32(bytes, 0))};
      break;
    case JetType::Double:
    case JetType::DateTime:
      value = std::bit_cast<double>(jet::Get64(bytes, 0));
      break;
    case JetType::Binary:
      value = AdoBlob{{bytes.begin(), bytes.end()}};
      break;
    case JetType::Text:
      value = Text(bytes);
      break;
    case JetType::Memo:
    case JetType::OleObject:
      if (!jet::ReadLongValue(bytes, layout, readOther, longValue))
        return Failure(AccessFault::Damaged, "列“" + column.name + "”的长文本或对象已损坏。");
      if (column.type == JetType::Memo)
        value = Text(longValue);
      else
        value = AdoBlob{std::move(longValue)};
      break;
    case JetType::Guid:
      value = jet::FormatGuid(bytes);
      break;
    case JetType::Decimal: {
      const std::optional<AdoValue> number = jet::DecodeDecimal(bytes, column.scale);
      if (!number) return Failure(AccessFault::Damaged, "列“" + column.name + "”的小数已损坏。");
      value = *number;
      break;
    }
    case JetType::Boolean:
    case JetType::Unsupported:
      break;
  }
  return {};
}

AccessError AccessFile::State::ReadRowsOf(MdbTableDef& definition, const AccessTable& table,
                                          const std::vector<bool>& wanted,
                                          const AccessRowSink& sink) {
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    if (table.columns[c].type == JetType::Unsupported && (wanted.empty() || wanted[c]))
      return Failure(AccessFault::Unsupported, UnsupportedText(table.columns[c]), table.name);

  // First the rows: their slots on the table's data pages, deleted ones left out.
  const auto read = [this](std::uint32_t number) { return ReadPage(number); };
  const std::uint32_t tablePage = static_cast<std::uint32_t>(definition.entry->table_pg);
  jet::LiveRows live;
  for (const std::uint32_t number : TablePages(definition)) {
    const std::optional<jet::Bytes> page = ReadPage(number);
    if (!page)
      return Failure(AccessFault::Damaged, "第 " + std::to_string(number) + " 页无法读取。",
                     table.name);
    if (jet::IsDataPageOf(*page, tablePage) && !live.AddPage(number, *page, layout))
      return Failure(AccessFault::Damaged, "第 " + std::to_string(number) + " 页的行表已损坏。",
                     table.name);
  }
  const std::vector<jet::RowRef> rows = live.Rows();
  if (rows.size() != table.rowCount)
    return Failure(AccessFault::Damaged,
                   "找到 " + std::to_string(rows.size()) + " 行, 表定义记有 " +
                       std::to_string(table.rowCount) + " 行。",
                   table.name);

  // Then their values.
  std::vector<MdbField> fields(std::max<std::size_t>(table.columns.size(), MDB_MAX_COLS));
  std::vector<AdoValue> values(table.columns.size());
  for (const jet::RowRef& row : rows) {
    jet::Bytes page;
    const std::optional<jet::Slot> slot = jet::LocateRow(row, tablePage, layout, read, &page);
    const auto where = [&row] {
      return "第 " + std::to_string(row.page) + " 页第 " + std::to_string(row.slot) + " 行";
    };
    if (!slot || mdb_crack_row(&definition, static_cast<int>(slot->start), slot->end - slot->start,
                               fields.data()) < 0)
      return Failure(AccessFault::Damaged, where() + "无法读取。", table.name);
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      if (!wanted.empty() && !wanted[c]) continue;
      AccessError error = Decode(table.columns[c], fields[c], page, *slot, values[c]);
      if (error.Failed()) {
        error.table = table.name;
        error.detail = where() + error.detail;
        return error;
      }
    }
    if (!sink(values)) break;
  }
  return {};
}

}  // namespace hdmjm
