#include "console/formAbout.h"

#include "platform/version_info.h"

namespace cratemark {

namespace {

constexpr int kClientWidth = 402;
constexpr int kClientHeight = 219;
constexpr int kMargin = 5;
constexpr int kBottomStrip = 31;
// The program picture (156 x 76) scaled to 89 pixels high, proportions kept.
constexpr int kPictureHeight = 89;
constexpr int kPictureWidth = (156 * kPictureHeight + 76 / 2) / 76;

}  // namespace

TAboutBox::TAboutBox(ui::Toolkit& toolkit, std::string program_dir)
    : program_dir_(std::move(program_dir)),
      window_(toolkit.NewWindow({ui::WindowKind::kTool, "", kClientWidth, kClientHeight})) {
  const int panel_width = kClientWidth - 2 * kMargin;
  ui::Container& panel =
      window_->AddPanel({kMargin, kMargin, panel_width, kClientHeight - kMargin - kBottomStrip});
  panel.AddPicture({(panel_width - kPictureWidth) / 2, 8, kPictureWidth, kPictureHeight});
  ui::LabelStyle centered_bold{.bold = true, .centered = true};
  lblCratemark = &panel.AddLabel({4, 110, panel_width - 8, 16}, "Cratemark", centered_bold);
  lblCratemarkS = &panel.AddLabel({4, 130, panel_width - 8, 16}, "CratemarkService", centered_bold);
  OKButton =
      &window_->AddButton({(kClientWidth - 75) / 2, kClientHeight - kBottomStrip + 3, 75, 25}, "OK",
                          /*is_default=*/true);
  OKButton->OnClick([this] { window_->CloseModal(); });
  window_->OnShow([this] { FormShow(); });
}

void TAboutBox::FormShow() {
  struct Pass {
    const char* file;
    ui::Label* label;
    const char* prefix;
  };
  const Pass passes[] = {{"Cratemark", lblCratemark, "Cratemark v"},
                         {"CratemarkService", lblCratemarkS, "CratemarkService v"}};
  for (const Pass& pass : passes) {
    // The names are fixed, whatever this program's own file is called.
    std::optional<std::string> version =
        ReadFileVersion(program_dir_ + pass.file + kExecutableSuffix);
    if (!version) continue;  // no file or no version information: label unchanged
    pass.label->SetText(pass.prefix + *version);
  }
}

}  // namespace cratemark
