// Places controls on a surface (the window's or a page's), offset by the
// container's origin in pixels, and hands them to the window that owns them.
#pragma once

#include <memory>

#include "ui/terminal/cell_layout.h"
#include "ui/window.h"

namespace cratemark::ui::terminal {

class TerminalWindow;
class TabWidget;

class TerminalContainer : public virtual Container {
 public:
  TerminalContainer(TerminalWindow& root, const Surface& surface, int left, int top,
                    const TabWidget* tab, int page, int id)
      : root_(root), surface_(surface), left_(left), top_(top), tab_(tab), page_(page), id_(id) {}
  Label& AddLabel(Rect rect, std::string_view text, LabelStyle style) override;
  Container& AddFrame(Rect rect, std::string_view caption) override;
  Container& AddPanel(Rect rect) override;
  ListBox& AddListBox(Rect rect, ListBoxStyle style = {}) override;
  Edit& AddEdit(Rect rect) override;
  Editor& AddEditor(Rect rect) override;
  LogView& AddLogView(Rect rect) override;
  Button& AddButton(Rect rect, std::string_view caption, bool is_default) override;
  CheckBox& AddCheckBox(Rect rect, std::string_view caption) override;
  Picture& AddPicture(Rect rect) override;
  ImageView& AddImageView(Rect rect) override;
  TabControl& AddTabControl(Rect rect) override;

 private:
  Rect Offset(Rect rect) const {
    return {left_ + rect.left, top_ + rect.top, rect.width, rect.height};
  }
  template <typename T>
  T& Place(std::unique_ptr<T> widget);
  Container& Nest(Rect rect, std::string_view caption, bool is_panel);

  TerminalWindow& root_;
  const Surface& surface_;
  int left_, top_;
  const TabWidget* tab_;
  int page_;
  int id_;
};

}  // namespace cratemark::ui::terminal
