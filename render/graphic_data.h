// A graphic's bits as ^GF and ~DG send them: ASCII hex with the printer's
// repeat counts, raw bytes, or ":Z64:" / ":B64:" (base64 of zlib-deflated
// or plain bytes, then a CRC). Decoded bounded, and damage is reported,
// never trusted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark::render {

struct GraphicBits {
  int bytes_per_row = 0;
  int rows = 0;
  std::vector<std::uint8_t> bytes;  // row-major, most significant bit first, 1 black
  // What was wrong with the data ("CRC does not match"); the bits are
  // still drawn as far as they go.
  std::string damage;

  bool IsBlack(int x, int y) const {
    return (bytes[static_cast<std::size_t>(y) * bytes_per_row + x / 8] >> (7 - x % 8)) & 1;
  }
};

// The largest graphic: 4096 dots a side, as the largest label.
inline constexpr int kMaxGraphicSide = 4096;
inline constexpr int kMaxGraphicBytes = kMaxGraphicSide / 8 * kMaxGraphicSide;

// `total_bytes` and `bytes_per_row` as the command gives them; `format`:
// 'A' hex, 'B' or 'C' binary (either may be Z64 or B64 instead). Data
// shorter than `total_bytes` leaves the rest white; a graphic larger than
// kMaxGraphicSide either way is cut to it.
GraphicBits DecodeGraphicData(std::string_view data, int total_bytes, int bytes_per_row,
                              char format);

}  // namespace cratemark::render
