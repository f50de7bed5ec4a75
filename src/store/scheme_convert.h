// An Access scheme made into the SQLite scheme file this program reads and writes.
#pragma once

#include <filesystem>

#include "access_convert.h"

namespace hdmjm {

// Converts `access` into the new file `output` as ConvertAccessFile does, every table of the file
// kept, and gives it what the scheme unit needs as a first save does (missing tables, 沟底半径,
// the indexes) before it takes its name. No row is changed.
ConversionResult ConvertScheme(const std::filesystem::path& access,
                               const std::filesystem::path& output, const Services& services);

// The name an Access scheme keeps once its path holds the converted scheme:
// 示例方案.mdb → 示例方案.access.mdb.
std::filesystem::path AccessOriginalPath(const std::filesystem::path& scheme);

struct InPlaceConversion {
  ConversionResult result;
  std::filesystem::path original;  // where the Access file is kept, once converted
};

// Converts the Access scheme at `scheme` into an SQLite scheme at the same path. The Access file
// is kept byte for byte under AccessOriginalPath (numbered when that name is taken: 示例方案
// .access2.mdb, ...). When anything fails, the files are as they were.
InPlaceConversion ConvertSchemeInPlace(const std::filesystem::path& scheme,
                                       const Services& services);

}  // namespace hdmjm
