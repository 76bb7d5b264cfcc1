// Integers in file bytes, whatever the machine's order: little-endian in
// tables and .DBT files, big-endian in .FPT files.
#pragma once

#include <cstdint>
#include <string_view>

namespace cratemark::engine {

inline std::uint32_t ReadLe(std::string_view bytes, std::size_t offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
  }
  return value;
}

inline void WriteLe(char* bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

inline std::uint32_t ReadBe(std::string_view bytes, std::size_t offset, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) {
    value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
  }
  return value;
}

inline void WriteBe(char* bytes, std::uint32_t value, int size) {
  for (int i = size - 1; i >= 0; --i) {
    bytes[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
}

}  // namespace cratemark::engine
