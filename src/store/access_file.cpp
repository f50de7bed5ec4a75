#include "access_file.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "access_state.h"

namespace hdmjm {
namespace {

// The header page, the page map and the catalogue's definition come first in every file.
constexpr std::uintmax_t kLeastPages = 3;
constexpr unsigned kJet3PageSize = 2048;
constexpr unsigned kJet4PageSize = 4096;
// The catalogue, MSysObjects, is a table whose definition stands on page 2. Each of its rows
// names an object: its definition's page (in Id's low three bytes), its type and flags.
constexpr std::uint32_t kCataloguePage = 2;
constexpr const char* kCatalogueColumns[] = {"Id", "Name", "Type", "Flags"};
constexpr std::int64_t kLocalTable = 1;
constexpr std::uint32_t kSystemFlags = 0x80000002;
constexpr std::uint32_t kPageBits = 0x00FFFFFF;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return g_ascii_tolower(x) == g_ascii_tolower(y);
         });
}

std::string FaultText(AccessFault fault) {
  switch (fault) {
    case AccessFault::Missing:
      return "文件不存在。";
    case AccessFault::Unreadable:
      return "文件无法读取。";
    case AccessFault::NotAccess:
      return "该文件不是 Access 数据库。";
    case AccessFault::Damaged:
      return "Access 数据库文件已损坏、不完整或已加密, 无法读取。";
    case AccessFault::Unsupported:
      return "Access 数据库中有本程序无法读取的数据类型。";
    case AccessFault::None:
      break;
  }
  return {};
}

// Why a file that is not an Access file cannot be opened as one.
AccessError ProbeFailure(const FileProbe& probe) {
  switch (probe.kind) {
    case FileKind::Missing:
      return Failure(AccessFault::Missing, probe.detail);
    case FileKind::Directory:
      return Failure(AccessFault::Unreadable, "这是一个文件夹。");
    case FileKind::Unreadable:
      return Failure(AccessFault::Unreadable, probe.detail);
    default:
      return Failure(AccessFault::NotAccess, "这是" + FileKindName(probe.kind) + "。");
  }
}

// Every column named, and no name twice: what a sound definition holds.
bool NamesSound(const MdbTableDef& definition) {
  std::vector<std::string> names;
  for (guint c = 0; c < definition.num_cols; ++c) {
    const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(definition.columns, c));
    gchar* folded = g_ascii_strdown(column->name, -1);
    names.emplace_back(folded);
    g_free(folded);
  }
  std::sort(names.begin(), names.end());
  return !names.empty() && !names.front().empty() &&
         std::adjacent_find(names.begin(), names.end()) == names.end();
}

AccessTable DescribeTable(const std::string& name, const MdbTableDef& definition) {
  AccessTable table{name, {}, definition.num_rows};
  for (guint c = 0; c < definition.num_cols; ++c)
    table.columns.push_back(
        DescribeColumn(*static_cast<const MdbColumn*>(g_ptr_array_index(definition.columns, c))));
  return table;
}

// One object of the catalogue: a table of the user's when it is a local table that is not
// flagged as the system's (nor named as one).
struct CatalogueEntry {
  std::string name;
  std::uint32_t page = 0;
  bool userTable = false;
};

std::optional<CatalogueEntry> ReadEntry(const std::vector<AdoValue>& row,
                                        const std::vector<std::size_t>& at) {
  const auto* id = std::get_if<std::int64_t>(&row[at[0]]);
  const auto* name = std::get_if<std::string>(&row[at[1]]);
  const auto* type = std::get_if<std::int64_t>(&row[at[2]]);
  const auto* flags = std::get_if<std::int64_t>(&row[at[3]]);
  if (!id || !name || !type) return std::nullopt;
  const bool system = (flags && (static_cast<std::uint32_t>(*flags) & kSystemFlags) != 0) ||
                      SameName(std::string_view(*name).substr(0, 4), "MSys");
  return CatalogueEntry{*name, static_cast<std::uint32_t>(*id) & kPageBits,
                        *type == kLocalTable && !system};
}

}  // namespace

std::string AccessErrorText(const AccessError& error) {
  std::string text = FaultText(error.fault);
  if (!error.table.empty()) text += "表“" + error.table + "”: ";
  return text + error.detail;
}

AccessFile::AccessFile(std::unique_ptr<State> state) : state_(std::move(state)) {}
AccessFile::~AccessFile() = default;

std::unique_ptr<AccessFile> AccessFile::Open(const std::filesystem::path& path,
                                             AccessError& error) {
  error = {};
  const FileProbe probe = ProbeFile(path);
  if (!IsAccessKind(probe.kind)) {
    error = ProbeFailure(probe);
    return nullptr;
  }
  auto state = std::make_unique<State>();
  state->kind = probe.kind;
  const unsigned pageSize = probe.kind == FileKind::Jet3 ? kJet3PageSize : kJet4PageSize;
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
  if (sizeError) {
    error = Failure(AccessFault::Unreadable, sizeError.message());
    return nullptr;
  }
  if (size < kLeastPages * pageSize) {
    error = Failure(AccessFault::Damaged, "文件只有 " + std::to_string(size) + " 字节, 不完整。");
    return nullptr;
  }
  state->pageCount = static_cast<std::uint32_t>(
      std::min<std::uintmax_t>(size / pageSize, std::numeric_limits<std::uint32_t>::max()));
  // Names and text arrive in the encoding this variable names: UTF-8, whatever the user set.
  ::setenv("MDBICONV", "UTF-8", 1);
  state->mdb.reset(mdb_open(path.c_str(), MDB_NOFLAGS));
  if (!state->mdb || state->mdb->fmt->pg_size != static_cast<ssize_t>(pageSize)) {
    error = Failure(AccessFault::Damaged, "无法读取文件头。");
    return nullptr;
  }
  state->layout = {pageSize, state->mdb->fmt->row_count_offset};
  error = state->ReadCatalogue();
  if (error.Failed()) return nullptr;
  return std::unique_ptr<AccessFile>(new AccessFile(std::move(state)));
}

// mdbtools' own catalogue reading would also return deleted objects and parse every object's
// properties, which damaged bytes can lead it to read beyond; the catalogue is read here as any
// other table instead, its properties left alone.
AccessError AccessFile::State::ReadCatalogue() {
  const AccessError unreadable = Failure(AccessFault::Damaged, "无法读取表目录。");
  std::optional<MdbTable> catalogue = ReadSource("MSysObjects", kCataloguePage);
  if (!catalogue) return unreadable;
  const AccessTable described = DescribeTable("MSysObjects", *catalogue->definition);
  std::vector<std::size_t> at;
  std::vector<bool> wanted(described.columns.size());
  for (const char* name : kCatalogueColumns) {
    const auto column = std::find_if(described.columns.begin(), described.columns.end(),
                                     [&](const AccessColumn& c) { return c.name == name; });
    if (column == described.columns.end()) return unreadable;
    at.push_back(static_cast<std::size_t>(column - described.columns.begin()));
    wanted[at.back()] = true;
  }
  std::vector<CatalogueEntry> entries;
  const AccessError error =
      ReadRowsOf(*catalogue->definition, described, wanted, [&](const std::vector<AdoValue>& row) {
        if (auto entry = ReadEntry(row, at)) entries.push_back(*entry);
        return true;
      });
  if (error.Failed()) return Failure(error.fault, "无法读取表目录: " + error.detail);
  for (const CatalogueEntry& entry : entries) {
    if (!entry.userTable) continue;
    std::optional<MdbTable> source = ReadSource(entry.name, entry.page);
    if (!source) return Failure(AccessFault::Damaged, "无法读取表定义。", entry.name);
    tables.push_back(DescribeTable(entry.name, *source->definition));
    sources.push_back(std::move(*source));
  }
  return {};
}

std::optional<MdbTable> AccessFile::State::ReadSource(const std::string& name, std::uint32_t page) {
  const auto read = [this](std::uint32_t number) { return ReadPage(number); };
  if (page == 0 || !jet::DefinitionPagesSound(page, layout, read)) return std::nullopt;
  MdbTable source{std::make_unique<MdbCatalogEntry>(), nullptr};
  source.entry->mdb = mdb.get();
  g_strlcpy(source.entry->object_name, name.c_str(), sizeof source.entry->object_name);
  source.entry->object_type = MDB_TABLE;
  source.entry->table_pg = page;
  source.definition.reset(mdb_read_table(source.entry.get()));
  loadedPage.reset();  // mdbtools read into the page buffer
  MdbTableDef* definition = source.definition.get();
  if (!definition || !mdb_read_columns(definition) ||
      definition->columns->len != definition->num_cols || !NamesSound(*definition))
    return std::nullopt;
  return source;
}

FileKind AccessFile::Kind() const { return state_->kind; }

const std::vector<AccessTable>& AccessFile::Tables() const { return state_->tables; }

const AccessTable* AccessFile::FindTable(std::string_view name) const {
  for (const AccessTable& table : state_->tables)
    if (SameName(table.name, name)) return &table;
  return nullptr;
}

AccessError AccessFile::ReadRows(const AccessTable& table, const AccessRowSink& sink) {
  State& state = *state_;
  for (std::size_t at = 0; at < state.tables.size(); ++at)
    if (&state.tables[at] == &table)
      return state.ReadRowsOf(*state.sources[at].definition, table, {}, sink);
  return Failure(AccessFault::Unsupported, "不是本文件的表。", table.name);
}

}  // namespace hdmjm
