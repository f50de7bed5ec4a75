// What an open Access file holds while it is read: the mdbtools handle, each table's definition
// as mdbtools reads it, and the row reader they share. Included by the Access reader only.
#pragma once

// mdbtools.h includes glib.h inside extern "C", where glib's C++ parts cannot stand: glib first.
#include <glib.h>
#include <mdbtools.h>

#include <memory>
#include <optional>
#include <vector>

#include "access_file.h"
#include "access_pages.h"

namespace hdmjm {

struct HandleCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct DefinitionFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using DefinitionPtr = std::unique_ptr<MdbTableDef, DefinitionFreer>;

// A table as mdbtools reads it: its catalogue entry (made here) and its definition.
struct MdbTable {
  std::unique_ptr<MdbCatalogEntry> entry;
  DefinitionPtr definition;  // refers to `entry`, and goes first
};

inline AccessError Failure(AccessFault fault, std::string detail, std::string table = {}) {
  return AccessError{fault, std::move(table), std::move(detail)};
}

// A column as this reader lists it.
AccessColumn DescribeColumn(const MdbColumn& column);

struct AccessFile::State {
  std::unique_ptr<MdbHandle, HandleCloser> mdb;  // first, so that it goes last
  FileKind kind = FileKind::Unknown;
  jet::PageLayout layout;
  std::uint32_t pageCount = 0;  // whole pages in the file
  std::vector<AccessTable> tables;
  std::vector<MdbTable> sources;            // beside `tables`
  std::optional<std::uint32_t> loadedPage;  // the page in mdb->pg_buf, when known

  // The user tables of the catalogue, each with its definition.
  AccessError ReadCatalogue();
  std::optional<MdbTable> ReadSource(const std::string& name, std::uint32_t page);

  // Reads the live rows of a table; only the columns marked in `wanted` (all when it is empty)
  // are decoded, the others are left empty.
  AccessError ReadRowsOf(MdbTableDef& definition, const AccessTable& table,
                         const std::vector<bool>& wanted, const AccessRowSink& sink);
  AccessError Decode(const AccessColumn& column, const MdbField& field, jet::Bytes page,
                     const jet::Slot& slot, AdoValue& value);
  std::string Text(jet::Bytes bytes);
  std::optional<jet::Bytes> ReadPage(std::uint32_t page);
  std::optional<jet::Bytes> ReadOtherPage(std::uint32_t page);
  std::vector<std::uint32_t> TablePages(const MdbTableDef& definition);
};

}  // namespace hdmjm
