// Barcodes through libzint.
#include <zint.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "render/barcode_symbol.h"

namespace cratemark::render {
namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

int ZintSymbology(Symbology symbology) {
  switch (symbology) {
    case Symbology::kCode128:
      return BARCODE_CODE128;
    case Symbology::kCode128B:
      return BARCODE_CODE128B;
    case Symbology::kGs1_128:
      return BARCODE_GS1_128;
    case Symbology::kCode39:
      return BARCODE_CODE39;
    case Symbology::kEan8:
    case Symbology::kEan13:
      return BARCODE_EANX;
    case Symbology::kUpcA:
      return BARCODE_UPCA;
    case Symbology::kInterleaved2of5:
      return BARCODE_C25INTER;
    case Symbology::kQrCode:
      return BARCODE_QRCODE;
    case Symbology::kDataMatrix:
      return BARCODE_DATAMATRIX;
    case Symbology::kPdf417:
      return BARCODE_PDF417;
  }
  return BARCODE_CODE128;
}

// zint's number for a Data Matrix size, 0 when there is no such size.
int DataMatrixSize(int rows, int columns) {
  static const int kSizes[][2] = {
      {10, 10}, {12, 12}, {14, 14}, {16, 16}, {18, 18},   {20, 20},   {22, 22},   {24, 24},
      {26, 26}, {32, 32}, {36, 36}, {40, 40}, {44, 44},   {48, 48},   {52, 52},   {64, 64},
      {72, 72}, {80, 80}, {88, 88}, {96, 96}, {104, 104}, {120, 120}, {132, 132}, {144, 144},
      {8, 18},  {8, 32},  {12, 26}, {12, 36}, {16, 36},   {16, 48}};
  for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i) {
    if (kSizes[i][0] == rows && kSizes[i][1] == columns) return i + 1;
  }
  return 0;
}

}  // namespace

bool HasBarcodeLibrary() { return true; }

std::variant<BarcodeSymbol, std::string> EncodeBarcode(const BarcodeRequest& request) {
  std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
  if (!symbol) return std::string("out of memory");
  symbol->symbology = ZintSymbology(request.symbology);
  symbol->input_mode = request.symbology == Symbology::kGs1_128 ? GS1_MODE : DATA_MODE;
  if (request.symbology == Symbology::kQrCode) {
    const char* levels = "LMQH";
    const char* level = std::strchr(levels, request.qr_ecc);
    symbol->option_1 = level && *level ? static_cast<int>(level - levels) + 1 : 3;
  }
  if ((request.symbology == Symbology::kCode39 ||
       request.symbology == Symbology::kInterleaved2of5) &&
      request.check_digit) {
    symbol->option_2 = 1;
  }
  if (request.symbology == Symbology::kDataMatrix) {
    // The printer's encodation, and its sizes: square unless asked.
    symbol->option_3 = DM_SQUARE;
    symbol->input_mode |= FAST_MODE;
    if (request.matrix_rows > 0 || request.matrix_columns > 0) {
      const int rows = request.matrix_rows > 0 ? request.matrix_rows : request.matrix_columns;
      const int columns = request.matrix_columns > 0 ? request.matrix_columns : rows;
      const int size = DataMatrixSize(rows, columns);
      if (size == 0) {
        return "no Data Matrix of " + std::to_string(rows) + " x " + std::to_string(columns);
      }
      symbol->option_2 = size;
    }
  }
  if (request.symbology == Symbology::kPdf417) {
    symbol->option_1 = request.pdf417_security;
    symbol->option_2 = request.pdf417_columns;
    symbol->option_3 = request.pdf417_rows;
  }
  if (request.data.empty()) return std::string("no data");
  const int result =
      ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(request.data.data()),
                      static_cast<int>(request.data.size()));
  if (result >= ZINT_ERROR) return std::string(symbol->errtxt);
  BarcodeSymbol out;
  out.rows = symbol->rows;
  out.columns = symbol->width;
  out.modules.resize(static_cast<std::size_t>(out.rows) * out.columns);
  for (int row = 0; row < out.rows; ++row) {
    for (int column = 0; column < out.columns; ++column) {
      out.modules[static_cast<std::size_t>(row) * out.columns + column] =
          ((symbol->encoded_data[row][column >> 3] >> (column & 7)) & 1) != 0;
    }
  }
  out.text = reinterpret_cast<const char*>(symbol->text);
  return out;
}

}  // namespace cratemark::render
