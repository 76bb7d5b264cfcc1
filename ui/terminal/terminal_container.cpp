// Making each kind of control in a container.
#include "ui/terminal/terminal_container.h"

#include "ui/terminal/frame_widget.h"
#include "ui/terminal/tab_widget.h"
#include "ui/terminal/terminal_button.h"
#include "ui/terminal/terminal_check_box.h"
#include "ui/terminal/terminal_edit.h"
#include "ui/terminal/terminal_editor.h"
#include "ui/terminal/terminal_image_view.h"
#include "ui/terminal/terminal_label.h"
#include "ui/terminal/terminal_list_box.h"
#include "ui/terminal/terminal_log_view.h"
#include "ui/terminal/terminal_picture.h"
#include "ui/terminal/terminal_window.h"

namespace cratemark::ui::terminal {

template <typename T>
T& TerminalContainer::Place(std::unique_ptr<T> widget) {
  widget->PlaceOnPage(tab_, page_);
  widget->PlaceIn(id_);
  T& placed = *widget;
  root_.Keep(std::move(widget));
  return placed;
}

Label& TerminalContainer::AddLabel(Rect rect, std::string_view text, LabelStyle style) {
  return Place(std::make_unique<TerminalLabel>(root_, surface_, Offset(rect), text, style));
}

Container& TerminalContainer::Nest(Rect rect, std::string_view caption, bool is_panel) {
  const int inner = root_.NewContainerId();
  Place(std::make_unique<FrameWidget>(root_, surface_, Offset(rect), caption, is_panel, inner));
  return root_.KeepContainer(std::make_unique<TerminalContainer>(
      root_, surface_, left_ + rect.left, top_ + rect.top, tab_, page_, inner));
}

Container& TerminalContainer::AddFrame(Rect rect, std::string_view caption) {
  return Nest(rect, caption, false);
}

Container& TerminalContainer::AddPanel(Rect rect) { return Nest(rect, "", true); }

ListBox& TerminalContainer::AddListBox(Rect rect, ListBoxStyle style) {
  return Place(std::make_unique<TerminalListBox>(root_, surface_, Offset(rect), style));
}

Edit& TerminalContainer::AddEdit(Rect rect) {
  return Place(std::make_unique<TerminalEdit>(root_, surface_, Offset(rect)));
}

Editor& TerminalContainer::AddEditor(Rect rect) {
  return Place(std::make_unique<TerminalEditor>(root_, surface_, Offset(rect)));
}

LogView& TerminalContainer::AddLogView(Rect rect) {
  return Place(std::make_unique<TerminalLogView>(root_, surface_, Offset(rect)));
}

Button& TerminalContainer::AddButton(Rect rect, std::string_view caption, bool is_default) {
  return Place(
      std::make_unique<TerminalButton>(root_, surface_, Offset(rect), caption, is_default));
}

CheckBox& TerminalContainer::AddCheckBox(Rect rect, std::string_view caption) {
  return Place(std::make_unique<TerminalCheckBox>(root_, surface_, Offset(rect), caption));
}

Picture& TerminalContainer::AddPicture(Rect rect) {
  return Place(std::make_unique<TerminalPicture>(root_, surface_, Offset(rect)));
}

ImageView& TerminalContainer::AddImageView(Rect rect) {
  return Place(std::make_unique<TerminalImageView>(root_, surface_, Offset(rect)));
}

TabControl& TerminalContainer::AddTabControl(Rect rect) {
  TabWidget& tabs = Place(std::make_unique<TabWidget>(root_, surface_, Offset(rect)));
  root_.UseForPageKeys(tabs);
  return tabs;
}

}  // namespace cratemark::ui::terminal
