// The layout rules over a window's controls.
#include "ui/terminal/control_layout.h"

namespace cratemark::ui::terminal {

namespace {

using Widgets = std::vector<std::unique_ptr<Widget>>;

void SeparateNeighbours(const Widgets& widgets) {
  // Rounding may put two controls that lie one under the other on one row;
  // the later one then starts below the earlier one.
  for (size_t i = 0; i < widgets.size(); ++i) {
    Widget& later = *widgets[i];
    for (size_t j = 0; j < i; ++j) {
      const Widget& earlier = *widgets[j];
      if (earlier.container() != later.container()) continue;
      const Rect& a = earlier.pixels();
      const Rect& b = later.pixels();
      const bool pixels_meet = a.left < b.left + b.width && b.left < a.left + a.width &&
                               a.top < b.top + b.height && b.top < a.top + a.height;
      const bool pixels_stacked =
          a.top + a.height <= b.top && a.left < b.left + b.width && b.left < a.left + a.width;
      const CellBox& x = earlier.box();
      const CellBox& y = later.box();
      const bool cells_meet =
          x.row < y.bottom() && y.row < x.bottom() && x.col < y.right() && y.col < x.right();
      if (!pixels_meet && pixels_stacked && cells_meet) later.PushDownTo(x.bottom());
    }
  }
  // Controls that stood in one row in pixels stay in one row: when one was
  // pushed down (below a caption that wrapped), the others follow.
  for (const std::unique_ptr<Widget>& pushed : widgets) {
    for (const std::unique_ptr<Widget>& other : widgets) {
      if (other->container() == pushed->container() &&
          other->pixels().top == pushed->pixels().top &&
          other->pixels().height == pushed->pixels().height &&
          other->box().row < pushed->box().row) {
        other->PushDownTo(pushed->box().row);
      }
    }
  }
}

void FitFrames(const Widgets& widgets) {
  for (const std::unique_ptr<Widget>& frame : widgets) {
    const int inner = frame->InnerContainer();
    if (inner == Widget::kNoContainer) continue;
    const CellBox& edge = frame->box();
    const CellBox inside{edge.row + 1, edge.col + 1, edge.rows - 2, edge.cols - 2};
    bool fits = true;
    for (const std::unique_ptr<Widget>& child : widgets) {
      // Those the frame placed itself lie in its view.
      if (child->container() != inner || child->IsPlacedByFrame()) continue;
      const CellBox& box = child->box();
      if (box.row < inside.row || box.col < inside.col || box.bottom() > inside.bottom() ||
          box.right() > inside.right()) {
        fits = false;
      }
    }
    frame->SetBorderShown(fits);
  }
}

void ComputeRunOn(const Widgets& widgets) {
  for (const std::unique_ptr<Widget>& label : widgets) {
    // One its frame placed keeps the frame's width.
    if (!label->MayRunOn() || label->IsPlacedByFrame()) continue;
    const CellBox& own = label->box();
    int room = label->surface().cells.right() - own.col;
    for (const std::unique_ptr<Widget>& other : widgets) {
      if (other == label || &other->surface() != &label->surface() ||
          other->page_index() != label->page_index()) {
        continue;
      }
      const CellBox& box = other->box();
      const bool rows_meet = box.row < own.bottom() && own.row < box.bottom();
      if (box.Contains(own.row, own.col)) {
        room = std::min(room, box.right() - 1 - own.col);  // the frame it sits in
      } else if (rows_meet && box.col > own.col) {
        room = std::min(room, box.col - 1 - own.col);
      }
    }
    label->SetRunOnCols(std::max(room, own.cols));
  }
}

// A one-line label whose text is longer than its room wraps onto the rows
// below it (which SeparateNeighbours then clears).
void GrowLabels(const Widgets& widgets) {
  for (const std::unique_ptr<Widget>& label : widgets) {
    if (!label->MayRunOn()) continue;
    const int rows = label->RowsFor(std::max(label->box().cols, label->run_on_cols()));
    if (rows > label->box().rows) label->GrowTo(rows);
  }
}

void ArrangeFrames(const Widgets& widgets) {
  for (const std::unique_ptr<Widget>& frame : widgets) {
    const int inner = frame->InnerContainer();
    if (inner == Widget::kNoContainer) continue;
    std::vector<Widget*> inside;
    for (const std::unique_ptr<Widget>& child : widgets) {
      if (child->container() == inner) inside.push_back(child.get());
    }
    frame->ArrangeInside(inside);
  }
}

}  // namespace

void LayOutControls(const Widgets& widgets) {
  // In the order they were made, so that a tab control's pages have their
  // cells before the controls on them are mapped.
  for (const std::unique_ptr<Widget>& widget : widgets) widget->Layout();
  ComputeRunOn(widgets);
  GrowLabels(widgets);
  SeparateNeighbours(widgets);
  ArrangeFrames(widgets);
  FitFrames(widgets);
  ComputeRunOn(widgets);
  for (const std::unique_ptr<Widget>& widget : widgets) widget->AfterLayout();
}

}  // namespace cratemark::ui::terminal
