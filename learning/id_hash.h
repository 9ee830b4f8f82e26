// learning/id_hash: the hash of item ids in the learning model's sets and maps: 64-bit FNV-1a.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct IdHash {
  size_t operator()(std::string_view id) const {   // ids and views into lines being read
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : id) {
      h ^= c;
      h *= 0x100000001b3ull;
    }
    return (size_t)h;
  }
};
