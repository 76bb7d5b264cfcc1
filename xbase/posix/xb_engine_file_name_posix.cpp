#include "xbase/XbEngine.h"

namespace cratemark {

const char kXbEngineFileName[] = "libxbengine.so";

}  // namespace cratemark
