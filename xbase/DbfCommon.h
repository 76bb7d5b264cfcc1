// Enumerations shared by the table component and the environment settings.
// The numbers are part of the interface: they reach the engine.
#pragma once

#include <cstdint>

namespace cratemark {

// Table and memo format handed to the engine.
enum TDbfTableType : int16_t {
  ttXBNONE = 0,
  ttXBNTX = 1,
  ttXBFOX = 2,
  ttXBNSX = 3,
  ttXBNSX_DBT = 4,
};

enum TAccessMethod : int16_t {
  amLocal = 0,
  amServer = 1,
};

enum TDbfCommitLevel : int16_t {
  clFull = 0,
  clNormal = 1,
  clNone = 2,
};

enum TDbfDateFrmt : int16_t {
  dfAmerican = 0,
  dfAnsi = 1,
  dfBritish = 2,
  dfFrench = 3,
  dfGerman = 4,
  dfItalian = 5,
  dfSpanish = 6,
  dfWinDefault = 7,
};

}  // namespace cratemark
