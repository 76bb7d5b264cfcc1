// The modules of a barcode, encoded by a barcode library we did not write;
// the renderer draws them itself so that ZPL's module widths hold exactly.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cratemark::render {

enum class Symbology {
  kCode128,   // subsets chosen automatically
  kCode128B,  // subset B throughout
  kGs1_128,   // data as "[AI]value..."
  kCode39,
  kEan8,   // 7 digits
  kEan13,  // 12 digits
  kUpcA,   // 11 digits
  kInterleaved2of5,
  kQrCode,
  kDataMatrix,
  kPdf417,
};

struct BarcodeRequest {
  Symbology symbology = Symbology::kCode128;
  std::string data;          // bytes as the printer receives them
  char qr_ecc = 'Q';         // QR: H, Q, M or L
  bool check_digit = false;  // Code 39, Interleaved 2 of 5
  // Data Matrix: the symbol's rows and columns, 0 for the smallest square
  // that holds the data. PDF417: 0 for automatic.
  int matrix_rows = 0, matrix_columns = 0;
  int pdf417_security = 0, pdf417_columns = 0, pdf417_rows = 0;
};

struct BarcodeSymbol {
  int rows = 0;               // 1 for a linear barcode
  int columns = 0;            // modules across
  std::vector<bool> modules;  // row-major, true for a dark module
  std::string text;           // the human-readable line (with any check digit)

  bool IsDark(int row, int column) const {
    return modules[static_cast<std::size_t>(row) * columns + column];
  }
};

// The symbol, or why it cannot be drawn ("data too long for a QR code").
std::variant<BarcodeSymbol, std::string> EncodeBarcode(const BarcodeRequest& request);

// False in a build without the barcode library: every barcode is then a
// warning.
bool HasBarcodeLibrary();

}  // namespace cratemark::render
