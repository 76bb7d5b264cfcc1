// The about box: the program picture and the versions of the two programs,
// read from their files each time the box is shown.
#pragma once

#include <memory>
#include <string>

#include "ui/window.h"

namespace cratemark {

class TAboutBox {
 public:
  // Created hidden; `program_dir` ends with a separator.
  TAboutBox(ui::Toolkit& toolkit, std::string program_dir);

  // Shows the box modally; returns when OK closes it.
  void ShowModal() { window_->ShowModal(); }

  ui::Window& window() { return *window_; }
  ui::Label* lblCratemark = nullptr;
  ui::Label* lblCratemarkS = nullptr;
  ui::Button* OKButton = nullptr;

 private:
  void FormShow();

  std::string program_dir_;
  std::unique_ptr<ui::Window> window_;
};

}  // namespace cratemark
