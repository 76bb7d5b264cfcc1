#include "engine/engine_state.h"

namespace cratemark::engine {

EngineState& Engine() {
  static EngineState state;
  return state;
}

}  // namespace cratemark::engine
