// Keys, clicks and resizes as curses reports them, turned into the toolkit's
// events.
#include "ui/terminal/curses_keys.h"

#include <curses.h>

#include <string>

namespace cratemark::ui::terminal {

namespace {

Event EventOf(Event::Kind kind) {
  Event event;
  event.kind = kind;
  return event;
}

// The curses key codes that stand for one of our named keys.
struct NamedKey {
  int code;
  KeyName name;
  bool shift;
};
const NamedKey kNamedKeys[] = {
    {KEY_UP, KeyName::kUp, false},        {KEY_DOWN, KeyName::kDown, false},
    {KEY_LEFT, KeyName::kLeft, false},    {KEY_RIGHT, KeyName::kRight, false},
    {KEY_SR, KeyName::kUp, true},         {KEY_SF, KeyName::kDown, true},
    {KEY_SLEFT, KeyName::kLeft, true},    {KEY_SRIGHT, KeyName::kRight, true},
    {KEY_HOME, KeyName::kHome, false},    {KEY_END, KeyName::kEnd, false},
    {KEY_SHOME, KeyName::kHome, true},    {KEY_SEND, KeyName::kEnd, true},
    {KEY_PPAGE, KeyName::kPageUp, false}, {KEY_NPAGE, KeyName::kPageDown, false},
    {KEY_DC, KeyName::kDelete, false},    {KEY_BACKSPACE, KeyName::kBackspace, false},
    {KEY_ENTER, KeyName::kEnter, false},  {KEY_BTAB, KeyName::kBackTab, false},
};

// Keys with Ctrl that terminfo names but curses numbers at run time.
struct NamedByTerminfo {
  const char* terminfo_name;
  KeyName name;
  bool ctrl;
};
const NamedByTerminfo kTerminfoKeys[] = {
    {"kNXT5", KeyName::kPageNext, false},
    {"kPRV5", KeyName::kPagePrior, false},
    {"kHOM5", KeyName::kHome, true},
    {"kEND5", KeyName::kEnd, true},
};

Event FromKeyCode(int code) {
  Event event = EventOf(Event::Kind::kKey);
  Key& key = event.key;
  switch (code) {
    case KEY_RESIZE:
      return EventOf(Event::Kind::kResize);
    case KEY_MOUSE: {
      MEVENT mouse{};
      if (getmouse(&mouse) != OK) return {};
      Event click = EventOf(Event::Kind::kMouse);
      click.mouse.row = mouse.y;
      click.mouse.col = mouse.x;
      if (mouse.bstate & BUTTON1_DOUBLE_CLICKED) {
        click.mouse.kind = MouseKind::kDoubleClick;
      } else if (mouse.bstate & BUTTON1_CLICKED) {
        click.mouse.kind = MouseKind::kClick;
      } else if (mouse.bstate & BUTTON4_PRESSED) {
        click.mouse.kind = MouseKind::kWheelUp;
      } else if (mouse.bstate & BUTTON5_PRESSED) {
        click.mouse.kind = MouseKind::kWheelDown;
      } else {
        return {};
      }
      return click;
    }
    default:
      break;
  }
  for (const NamedKey& named : kNamedKeys) {
    if (named.code == code) {
      key.name = named.name;
      key.shift = named.shift;
      return event;
    }
  }
  if (code >= KEY_F(1) && code <= KEY_F(12)) {
    key.name = KeyName::kFunction;
    key.number = code - KEY_F0;
    return event;
  }
  const char* name = keyname(code);
  const std::string text = name != nullptr ? name : "";
  for (const NamedByTerminfo& named : kTerminfoKeys) {
    if (text == named.terminfo_name) {
      key.name = named.name;
      key.ctrl = named.ctrl;
      return event;
    }
  }
  return {};
}

}  // namespace

Event ReadCursesEvent() {
  timeout(0);
  wint_t ch = 0;
  const int kind = get_wch(&ch);
  if (kind == ERR) return {};
  Event event = EventOf(Event::Kind::kKey);
  Key& key = event.key;
  if (kind == KEY_CODE_YES) return FromKeyCode(static_cast<int>(ch));
  switch (ch) {
    case 27: {
      // Alt+key arrives as Escape and the key at once.
      timeout(30);
      wint_t next = 0;
      const int next_kind = get_wch(&next);
      if (next_kind == OK && next != 27 && next >= 0x20) {
        key.name = KeyName::kChar;
        key.ch = static_cast<char32_t>(next);
        key.alt = true;
      } else {
        key.name = KeyName::kEscape;
      }
      return event;
    }
    case '\t':
      key.name = KeyName::kTab;
      return event;
    case '\r':
    case '\n':
      key.name = KeyName::kEnter;
      return event;
    case 127:
    case 8:
      key.name = KeyName::kBackspace;
      return event;
    case 12:
      // Ctrl+L: paint the whole screen anew, as terminal programs do after
      // something else wrote over it.
      clearok(curscr, TRUE);
      return EventOf(Event::Kind::kResize);
    default:
      if (ch < 0x20) return {};  // other control characters mean nothing here
      key.name = KeyName::kChar;
      key.ch = static_cast<char32_t>(ch);
      return event;
  }
}

}  // namespace cratemark::ui::terminal
