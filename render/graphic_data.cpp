#include "render/graphic_data.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace cratemark::render {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The printer's compressed ASCII hex: G..Y repeat the next digit 1 to 19
// times, g..z 20 to 400 times (added up); "," ends the row with white, "!"
// with black, ":" repeats the row before.
void DecodeHex(std::string_view data, GraphicBits& out) {
  const std::size_t row_digits = static_cast<std::size_t>(out.bytes_per_row) * 2;
  std::vector<std::uint8_t> nibbles;
  nibbles.reserve(out.bytes.size() * 2);
  const std::size_t limit = out.bytes.size() * 2;
  auto end_row = [&](std::uint8_t fill) {
    const std::size_t in_row = nibbles.size() % row_digits;
    if (in_row == 0 && fill == 0 && !nibbles.empty()) return;  // "," on a row's start: empty
    for (std::size_t k = in_row; k < row_digits && nibbles.size() < limit; ++k) {
      nibbles.push_back(fill);
    }
  };
  int repeat = 0;
  for (char c : data) {
    if (nibbles.size() >= limit) break;
    if (c >= 'G' && c <= 'Y') {
      repeat += c - 'G' + 1;
    } else if (c >= 'g' && c <= 'z') {
      repeat += (c - 'g' + 1) * 20;
    } else if (c == ',') {
      end_row(0);
      repeat = 0;
    } else if (c == '!') {
      end_row(15);
      repeat = 0;
    } else if (c == ':') {
      const std::size_t start = nibbles.size() - nibbles.size() % row_digits;
      if (start >= row_digits) {
        for (std::size_t k = 0; k < row_digits && nibbles.size() < limit; ++k) {
          nibbles.push_back(nibbles[start - row_digits + k]);
        }
      } else {
        for (std::size_t k = 0; k < row_digits && nibbles.size() < limit; ++k) nibbles.push_back(0);
      }
      repeat = 0;
    } else if (const int v = HexValue(c); v >= 0) {
      for (int k = 0; k < std::max(repeat, 1) && nibbles.size() < limit; ++k) {
        nibbles.push_back(static_cast<std::uint8_t>(v));
      }
      repeat = 0;
    } else if (c != ' ' && out.damage.empty()) {
      out.damage = "not hex data";
    }
  }
  for (std::size_t i = 0; i + 1 < nibbles.size(); i += 2) {
    out.bytes[i / 2] = static_cast<std::uint8_t>(nibbles[i] << 4 | nibbles[i + 1]);
  }
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// CRC-16 with the CCITT polynomial, as the printer checks the encoded text.
unsigned Crc16(std::string_view text) {
  unsigned crc = 0;
  for (char c : text) {
    crc ^= static_cast<unsigned>(static_cast<unsigned char>(c)) << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    crc &= 0xFFFF;
  }
  return crc;
}

// ":Z64:text:crc" or ":B64:text:crc".
void DecodeBase64Form(std::string_view data, GraphicBits& out) {
  const bool deflated = data[1] == 'Z';
  std::string_view rest = data.substr(5);
  const std::size_t colon = rest.find(':');
  const std::string_view text = rest.substr(0, colon);
  if (colon != std::string_view::npos) {
    const std::string_view crc = rest.substr(colon + 1, 4);
    char* end = nullptr;
    const std::string digits(crc);
    const unsigned long given = std::strtoul(digits.c_str(), &end, 16);
    if (digits.size() == 4 && *end == '\0' && given != Crc16(text))
      out.damage = "CRC does not match";
  }
  std::string bytes;
  bytes.reserve(text.size() * 3 / 4);
  unsigned buffer = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    const int v = Base64Value(c);
    if (v < 0) {
      out.damage = "not base64 data";
      break;
    }
    buffer = (buffer << 6) | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  if (deflated) {
    // Inflated straight into the graphic's own size: more is not wanted.
    const int got = stbi_zlib_decode_buffer(reinterpret_cast<char*>(out.bytes.data()),
                                            static_cast<int>(out.bytes.size()), bytes.data(),
                                            static_cast<int>(bytes.size()));
    if (got < 0 && out.damage.empty()) out.damage = "damaged compressed data";
    return;
  }
  std::copy_n(bytes.begin(), std::min(bytes.size(), out.bytes.size()), out.bytes.begin());
}

}  // namespace

GraphicBits DecodeGraphicData(std::string_view data, int total_bytes, int bytes_per_row,
                              char format) {
  GraphicBits out;
  out.bytes_per_row = std::clamp(bytes_per_row, 1, kMaxGraphicSide / 8);
  out.rows = std::clamp(total_bytes, 0, kMaxGraphicBytes) / out.bytes_per_row;
  out.rows = std::min(out.rows, kMaxGraphicSide);
  out.bytes.assign(static_cast<std::size_t>(out.rows) * out.bytes_per_row, 0);
  if (out.bytes.empty()) {
    out.rows = 0;
    return out;
  }
  if (data.size() >= 5 && data[0] == ':' &&
      (data.substr(1, 4) == "Z64:" || data.substr(1, 4) == "B64:")) {
    DecodeBase64Form(data, out);
  } else if (format == 'A') {
    DecodeHex(data, out);
  } else {
    std::copy_n(data.begin(), std::min(data.size(), out.bytes.size()), out.bytes.begin());
  }
  return out;
}

}  // namespace cratemark::render
