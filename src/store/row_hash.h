// The hash a record keeps of each stored row: the row's fields, eight bytes at a time (reals by
// their bits), mixed as MurmurHash3's 64-bit blocks are, then finished so that rows differing in
// one low bit land far apart. Each column holds one kind of value, so the kinds need no bytes of
// their own.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace hdmjm {

class RowHasher {
 public:
  void Add(std::uint64_t word) {
    word *= 0x87c37b91114253d5ULL;
    word = std::rotl(word, 31) * 0x4cf5ad432745937fULL;
    hash_ = std::rotl(hash_ ^ word, 27) * 5 + 0x52dce729;
  }
  void Add(double real) { Add(std::bit_cast<std::uint64_t>(real)); }
  void Add(int code) { Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(code))); }
  void Add(const std::string& text) {
    Add(static_cast<std::uint64_t>(text.size()));
    for (std::size_t at = 0; at < text.size(); at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, std::min<std::size_t>(8, text.size() - at));
      Add(word);
    }
  }
  // Never 0, which stands for "unknown" where hashes are remembered.
  std::uint64_t Value() const {
    std::uint64_t h = hash_;
    h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ULL;
    h = (h ^ (h >> 27)) * 0x94d049bb133111ebULL;
    h ^= h >> 31;
    return h == 0 ? 1 : h;
  }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace hdmjm
