// A build without the barcode library: every barcode becomes a warning.
#include "render/barcode_symbol.h"

namespace cratemark::render {

bool HasBarcodeLibrary() { return false; }

std::variant<BarcodeSymbol, std::string> EncodeBarcode(const BarcodeRequest&) {
  return std::string("no barcode library in this build");
}

}  // namespace cratemark::render
