// The one blink rhythm of the whole program, shared by every front end: the
// blinking status message flashes on it and the clock pane steps with it.
#pragma once

namespace cratemark::ui {

// Lit and dark by turns, each for this long.
inline constexpr int kBlinkPhaseMs = 500;

// Whether blinking text shows at `milliseconds` of a steady clock, so that
// every blinking text flashes together whatever moment it started.
constexpr bool IsBlinkLit(long long milliseconds) {
  return (milliseconds / kBlinkPhaseMs) % 2 == 0;
}

}  // namespace cratemark::ui
