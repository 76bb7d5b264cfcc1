#include "xbase/XbEngine.h"

namespace cratemark {

const char kXbEngineFileName[] = "XBENGINE.DLL";

}  // namespace cratemark
