// The base of every terminal control: where it sits, whether it shows, and
// the questions the window asks of it instead of asking for its type.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controls.h"
#include "ui/terminal/canvas.h"
#include "ui/terminal/cell_layout.h"

namespace cratemark::ui::terminal {

class TerminalWindow;
class TabWidget;

class Widget {
 public:
  static constexpr int kNoContainer = -1;

  Widget(TerminalWindow& root, const Surface& surface, Rect pixels)
      : root_(root), surface_(surface), pixels_(pixels) {}
  virtual ~Widget() = default;

  // Maps the pixel rectangle onto the surface's cells.
  virtual void Layout() {
    box_ = surface_.Map(pixels_);
    clip_.reset();
  }
  const CellBox& box() const { return box_; }
  const Surface& surface() const { return surface_; }
  void PlaceOnPage(const TabWidget* tab, int index) {
    tab_ = tab;
    page_index_ = index;
  }
  // The container the control was added to (frames and pages have their own).
  void PlaceIn(int container) { container_ = container; }
  int container() const { return container_; }
  const Rect& pixels() const { return pixels_; }
  // Moves the top edge down, keeping the bottom edge (at least one row).
  void PushDownTo(int row) {
    const int bottom = box_.bottom();
    box_.row = std::min(row, surface_.cells.bottom() - 1);
    box_.rows = std::max(1, bottom - box_.row);
  }
  // Taller, keeping the top edge, at most to the surface's bottom.
  void GrowTo(int rows) {
    box_.rows = std::max(1, std::min(rows, surface_.cells.bottom() - box_.row));
  }
  // Moved to `box` by the frame it sits in, showing only what lies in `clip`.
  void PlaceAt(const CellBox& box, const CellBox& clip) {
    box_ = box;
    clip_ = clip;
  }
  bool IsPlacedByFrame() const { return clip_.has_value(); }
  const TabWidget* tab() const { return tab_; }
  int page_index() const { return page_index_; }
  // Visible, and on the active page when it sits on one.
  bool IsShown() const;
  // What the hint line says while the control has the focus.
  virtual std::string HintLine() const { return hint_; }

  virtual bool IsFocusable() const { return false; }
  // Draws the control from its state; it changes nothing.
  virtual void Paint(Canvas& canvas, bool focused) const = 0;
  // Runs once the whole window is laid out, for what depends on the cells
  // the control got in the end.
  virtual void AfterLayout() {}
  // True when the key was used.
  virtual bool OnKey(const Key&) { return false; }
  virtual void OnMouse(const Mouse&) {}
  // False for what only shows (labels, frames): a click goes to what lies below.
  virtual bool TakesClicks() const { return true; }
  // Buttons: the access key, and what it does.
  virtual char32_t AccessKey() const { return 0; }
  virtual void Press() {}
  // The button Enter presses when the focused control does not use it.
  virtual bool IsDefaultButton() const { return false; }
  // A one-line label may run on into empty cells to its right.
  virtual bool MayRunOn() const { return false; }
  void SetRunOnCols(int cols) { run_on_cols_ = cols; }
  int run_on_cols() const { return run_on_cols_; }
  // Text that only shows (labels): the rows it needs at `cols` columns to
  // show every word whole; 0 for every other control.
  virtual int RowsFor(int /*cols*/) const { return 0; }
  // Frames and panels: the container of the controls inside, and whether
  // to draw the border (not where the controls inside need its cells).
  virtual int InnerContainer() const { return kNoContainer; }
  virtual void SetBorderShown(bool) {}
  // Frames: places the controls inside where the mapping from pixels
  // would cut their words.
  virtual void ArrangeInside(const std::vector<Widget*>& /*inside*/) {}

 protected:
  void TakeFocus();
  // What presses a button or a check box: Enter or Space (true when the key
  // pressed it), a click (which also takes the focus).
  bool PressOnKey(const Key& key);
  void PressOnClick(const Mouse& mouse);
  // The box less its border, when it is big enough to have one.
  CellBox Inner() const;
  bool HasBorder() const { return box_.rows >= 3 && box_.cols >= 4; }
  // Whether a row of the control is in view (not scrolled out of its frame).
  bool IsRowInView(int row) const { return !clip_ || (row >= clip_->row && row < clip_->bottom()); }
  void PaintBorder(Canvas& canvas, bool focused) const;

  TerminalWindow& root_;
  const Surface& surface_;
  Rect pixels_;
  CellBox box_;
  std::optional<CellBox> clip_;
  const TabWidget* tab_ = nullptr;
  int page_index_ = 0;
  int container_ = 0;
  bool visible_ = true;
  std::string hint_;
  int run_on_cols_ = 0;
};

// The Control interface, answered from the widget's own state.
#define CRATEMARK_TERMINAL_CONTROL_BASICS                        \
  void SetHint(std::string_view hint) override { hint_ = hint; } \
  void SetVisible(bool visible) override { visible_ = visible; } \
  bool IsVisible() const override { return visible_; }           \
  void SetFocus() override { TakeFocus(); }

// " 3:14 " or " 1/20 ": where a view stands, shown in its bottom border.
std::string PositionText(int first, char separator, int second);

}  // namespace cratemark::ui::terminal
