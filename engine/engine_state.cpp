#include "engine/engine_state.h"

namespace cratemark::xbase {

EngineState& Engine() {
  static EngineState state;
  return state;
}

}  // namespace cratemark::xbase
