// The program's SQL, written for Jet, as SQLite takes it.
#pragma once

#include <string>
#include <string_view>

namespace hdmjm {

// A name as the engine quotes it: in double quotes, inner double quotes doubled.
std::string QuoteName(std::string_view name);

// "INTEGER identity" numbers itself (an automatically increasing key) and a bare name that
// starts with a digit (1级边坡系数) is quoted; quoted names and literals are copied untouched.
std::string MapDialect(std::string_view statement);

}  // namespace hdmjm
