#include "console/formMain.h"

#include <chrono>
#include <exception>

#include "console/history_view.h"
#include "console/label_definition.h"
#include "console/label_preview.h"
#include "console/status_display.h"
#include "console/table_guard.h"
#include "console/test_job.h"
#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/logon_start.h"
#include "platform/text.h"
#include "render/printer_fonts.h"
#include "shared/activity_log.h"
#include "shared/change_marker.h"
#include "shared/host_files.h"
#include "shared/label_design.h"
#include "shared/order_job.h"
#include "shared/reprint_job.h"
#include "shared/settings_file.h"
#include "shared/status_file.h"
#include "shared/unprinted_folder.h"
#include "ui/line_breaks.h"

namespace cratemark {

namespace {

constexpr int kClientWidth = 633;
constexpr int kClientHeight = 444;
constexpr int kStatusBarHeight = 22;
constexpr int kClockPaneWidth = 136;
constexpr int kTimerIntervalMs = 500;
// The preview follows the typing once the user pauses this long.
constexpr int kPreviewDelayMs = 300;
// "Unprinted" is counted every tenth tick (a listing, kept off the 500 ms
// beat) and at once when the log tells of an order kept there.
constexpr int kUnprintedEveryTicks = 10;

// The page area inside the tab control.
constexpr int kPageWidth = 625;
constexpr int kPageHeight = 394;

// Inserts `insertion` before the character at `column` (after the last one
// when the column lies beyond the end), counting characters, not bytes.
std::string InsertAtColumn(std::string_view line, int column, std::string_view insertion) {
  std::u32string chars = Utf8ToCodePoints(line);
  size_t at = std::min(static_cast<size_t>(std::max(column, 0)), chars.size());
  return CodePointsToUtf8(chars.substr(0, at)) + std::string(insertion) +
         CodePointsToUtf8(chars.substr(at));
}

void SelectNoCase(ui::ListBox& list, const std::string& value) {
  for (int i = 0; i < list.Count(); ++i) {
    if (EqualsNoCase(list.Item(i), value)) {
      list.Select(i);
      return;
    }
  }
}

}  // namespace

TfrmMain::TfrmMain(ui::Toolkit& toolkit, ConsoleContext context)
    : toolkit_(toolkit),
      context_(std::move(context)),
      log_file_(SystemFileSystem(), ActivityLogPath(context_.program_dir), /*may_append=*/true),
      status_file_(SystemFileSystem(), StatusFilePath(context_.program_dir),
                   /*may_append=*/false) {
  window_ =
      toolkit_.NewWindow({ui::WindowKind::kMain, kApplicationTitle, kClientWidth, kClientHeight});
  CreateControls();
  FormCreate();
  about_box_ = std::make_unique<TAboutBox>(
      toolkit_, context_.executable_dir.empty() ? context_.program_dir : context_.executable_dir);
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::CreateControls() {
  // First: the Setup page offers the start at logon only where the
  // notification area can hold the console.
  trayIcon = &window_->AddNotificationArea(kApplicationTitle);
  trayIcon->OnOpen([this] { window_->Show(); });
  trayIcon->OnQuit([this] { window_->Quit(); });
  window_->OnCloseQuery([this] { return FormCloseQuery(); });
  if (context_.start_in_notification_area && trayIcon->HoldsProgram()) window_->Hide();

  pageMain = &window_->AddTabControl({0, 0, kClientWidth, kClientHeight - kStatusBarHeight});
  CreateLogInfoPage(pageMain->AddPage("Log Info"));
  CreateLabelEditorPage(pageMain->AddPage("Label Editor"));
  CreateSetupPage(pageMain->AddPage("Setup"));
  CreateHistoryPage(pageMain->AddPage("History"));
  pageMain->OnChange([this] { pageMainChange(); });

  txtErrorLabel = &window_->AddStatusBar(kStatusBarHeight, kClockPaneWidth);
  txtErrorLabel->SetVisible(false);
  Timer = &window_->AddTimer(kTimerIntervalMs, [this] { TimerTimer(); });
  tmrPreview = &window_->AddTimer(kPreviewDelayMs, [this] { tmrPreviewTimer(); });
  tmrPreview->SetEnabled(false);
}

void TfrmMain::CreateLogInfoPage(ui::Container& page) {
  memoLogInfo = &page.AddLogView({0, 0, kPageWidth, kPageHeight});
}

void TfrmMain::CreateLabelEditorPage(ui::Container& page) {
  listTags = &page.AddListBox({0, 0, 153, kPageHeight});
  listTags->SetHint("Double click on a tag to insert in the editor");
  for (std::string_view tag : kLabelTagForms) listTags->Add(tag);
  listTags->OnDoubleClick([this] { listTagsDblClick(); });

  const int editor_left = 157;
  const int strip_top = kPageHeight - 39;
  reLabelDesign = &page.AddEditor({editor_left, 0, kPageWidth - editor_left, strip_top});
  // Created in keyboard focus order: Save, Revert, Test.
  const int button_top = strip_top + 2;
  btnSaveDesign = &page.AddButton({kPageWidth - 69, button_top, 65, 36}, "&Save Design");
  btnLoadLast = &page.AddButton({kPageWidth - 207, button_top, 65, 36}, "&Revert to Last");
  btnTestDesign = &page.AddButton({kPageWidth - 138, button_top, 65, 36}, "Test &Print");
  btnSaveDesign->OnClick([this] { btnSaveDesignClick(); });
  btnLoadLast->OnClick([this] { btnLoadLastClick(); });
  btnTestDesign->OnClick([this] { btnTestDesignClick(); });
  // Beside the three, last in the focus order.
  btnPreview = &page.AddButton({kPageWidth - 276, button_top, 65, 36}, "Pre&view");
  btnPreview->OnClick([this] { btnPreviewClick(); });
  reLabelDesign->OnChange([this] { reLabelDesignChange(); });
}

void TfrmMain::CreateSetupPage(ui::Container& page) {
  const int list_top = 20;
  auto add_list = [&](int left, const char* caption) {
    page.AddLabel({left, 4, 121, 14}, caption);
    return &page.AddListBox({left, list_top, 121, 314});
  };
  listPrnSource = add_list(8, "Source Printer:");
  listPrnDest = add_list(137, "Destination Printer:");
  listPrnBackup = add_list(266, "Backup Label Printer:");

  ui::Container& help = page.AddFrame({395, 4, 226, 236}, "");
  const ui::LabelStyle heading{.bold = true};
  const ui::LabelStyle wrapped{.word_wrap = true};
  help.AddLabel({6, 8, 210, 14}, "Source Printer:", heading);
  help.AddLabel({6, 22, 214, 52},
                "This is the printer that will be used in TolvanWin as a Prep Printer. All "
                "items required to print on labels will be using this Prep Printer.",
                wrapped);
  help.AddLabel({6, 80, 210, 14}, "Destination Printer:", heading);
  help.AddLabel({6, 94, 214, 52},
                "This is the printer that will actually send the label to the label printer. It "
                "must be setup properly for use with TolvanSpool.",
                wrapped);
  help.AddLabel({6, 152, 210, 14}, "Backup Printer:", heading);
  help.AddLabel({6, 166, 214, 64},
                "Like the Destination Printer, this printer must be setup correctly as it will be "
                "used as a backup in case the primary printer fails assuming there is a backup "
                "printer.",
                wrapped);

  const bool offers_logon_start = trayIcon->HoldsProgram() && CanStartAtLogon();
  const int picture_height = offers_logon_start ? 58 : 80;
  ui::Container& picture_frame = page.AddFrame({395, 244, 226, picture_height + 12}, "");
  ProgramIcon = &picture_frame.AddPicture({4, 8, 218, picture_height});
  if (offers_logon_start) {
    chkStartAtLogon =
        &page.AddCheckBox({399, 316, 222, 26}, "Start at logon in the notification area");
    chkStartAtLogon->SetHint("At your logon: the icon only, no window");
    chkStartAtLogon->OnClick([this] { chkStartAtLogonClick(); });
  }
  ProgramIcon->SetHint("Double click for info.");
  ProgramIcon->OnDoubleClick([this] { ProgramIconDblClick(); });

  ui::Container& captions = page.AddFrame({8, 338, 379, 52}, "");
  auto add_edit = [&](int left, const char* caption) {
    captions.AddLabel({left, 8, 86, 14}, caption);
    return &captions.AddEdit({left, 24, 86, 21});
  };
  editLabelsText = add_edit(6, "Labels Text:");
  editTimeText = add_edit(98, "Time Text:");
  editMapText = add_edit(190, "Map Code Text:");
  editTotalText = add_edit(282, "Total Text:");

  btnSetupSave = &page.AddButton({395, 346, 110, 36}, "&Save && Activate");
  btn = &page.AddButton({511, 346, 110, 36}, "Setup Tolvan Labels");
  btnSetupSave->OnClick([this] { btnSetupSaveClick(); });
  btn->OnClick([this] { btnClick(); });
}

void TfrmMain::CreateHistoryPage(ui::Container& page) {
  lblHistoryStatus = &page.AddLabel({4, 2, kPageWidth - 8, 14}, "");
  // Newest first, as read: not sorted by the list.
  listHistory = &page.AddListBox({0, 18, kPageWidth, 166}, {.sorted = false});
  listHistory->SetHint("Choose an order to see its labels");
  listHistory->OnSelect([this] { listHistorySelect(); });
  listHistoryLabels = &page.AddListBox({0, 188, 240, 162}, {.sorted = false});
  listHistoryLabels->SetHint("Choose a label for Reprint Label");
  memoHistoryOrder = &page.AddLogView({244, 188, kPageWidth - 244, 162});
  const int button_top = kPageHeight - 39 + 2;
  btnReprint = &page.AddButton({kPageWidth - 276, button_top, 65, 36}, "Re&print");
  btnReprintLabel = &page.AddButton({kPageWidth - 207, button_top, 65, 36}, "Reprint &Label");
  btnRemoveUnprinted = &page.AddButton({kPageWidth - 138, button_top, 65, 36}, "Re&move");
  btnHistoryRefresh = &page.AddButton({kPageWidth - 69, button_top, 65, 36}, "Re&fresh");
  btnReprint->OnClick([this] { btnReprintClick(); });
  btnReprintLabel->OnClick([this] { btnReprintLabelClick(); });
  btnRemoveUnprinted->OnClick([this] { btnRemoveUnprintedClick(); });
  btnHistoryRefresh->OnClick([this] { btnHistoryRefreshClick(); });
}

// --- start and end ---

void TfrmMain::FormCreate() {
  // Designators as the regional settings stand at start.
  morning_designator_ = DayPeriodDesignator(false);
  afternoon_designator_ = DayPeriodDesignator(true);
  settings_lines_ = {};
  try {
    settings_lines_ = ReadTextFile(SystemFileSystem(), SettingsFilePath(context_.program_dir));
    TakePrinterCopies();
  } catch (const std::exception&) {
    // No settings to be read: start a file with the seven keys, all empty.
    settings_lines_ = {SettingsToLines(Settings{}), TextEncoding::kAnsi};
    Guarded([this] { WriteSettingsLines(); });
  }
  memoLogInfo->SetText("");
  log_file_.Forget();
  pageMain->SetActivePage(0);
}

void TfrmMain::FormDestroy() { settings_lines_ = {}; }

void TfrmMain::TakePrinterCopies() {
  spl_dir_source_ = LookUpSetting(settings_lines_.lines, kKeySplDirSource);
  spl_dir_dest_ = LookUpSetting(settings_lines_.lines, kKeySplDirDest);
  spl_dir_backup_ = LookUpSetting(settings_lines_.lines, kKeySplDirBackup);
}

void TfrmMain::WriteSettingsLines() {
  WriteTextFile(SystemFileSystem(), SettingsFilePath(context_.program_dir), settings_lines_.lines,
                settings_lines_.encoding);
}

// --- failure reporting ---

void TfrmMain::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& failure) {
    ShowErrorBox(failure.what());
  } catch (...) {
    ShowErrorBox("Unexpected failure");
  }
}

void TfrmMain::ShowErrorBox(std::string text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  window_->ShowMessage({text, kApplicationTitle, ui::MessageButtons::kOk, ui::MessageIcon::kError});
}

void TfrmMain::ShowPlainMessage(const std::string& text) {
  window_->ShowMessage({text, kApplicationTitle, ui::MessageButtons::kOk, ui::MessageIcon::kNone});
}

// --- pages ---

void TfrmMain::pageMainChange() {
  const std::string caption = pageMain->PageCaption(pageMain->ActivePage());
  if (caption == "Setup") {
    Guarded([this] { EnterSetupPage(); });
  } else if (caption == "Label Editor") {
    EnterLabelEditorPage();
  } else if (caption == "History") {
    Guarded([this] { EnterHistoryPage(); });
  }
}

void TfrmMain::EnterSetupPage() {
  const Lines& lines = settings_lines_.lines;
  editLabelsText->SetText(LookUpSetting(lines, kKeyLabelsText));
  editMapText->SetText(LookUpSetting(lines, kKeyMapText));
  editTimeText->SetText(LookUpSetting(lines, kKeyTimeText));
  editTotalText->SetText(LookUpSetting(lines, kKeyTotalText));

  listPrnSource->Clear();
  listPrnDest->Clear();
  listPrnBackup->Clear();

  std::unique_ptr<ConsoleTable> printers = context_.tables->MakeTable(
      "tblTolvanSpool", context_.program_dir, kPrinterTableFileName, /*read_only=*/true);
  {
    // Closed after a failed walk too, so the host's table is not left open.
    TableGuard guard(*printers);
    printers->Open();
    while (!printers->Eof()) {
      const std::string sub_dir = printers->FieldText("SubDir");
      listPrnSource->Add(sub_dir);
      listPrnDest->Add(sub_dir);
      listPrnBackup->Add(sub_dir);
      printers->Next();
    }
    printers->Close();
  }

  if (chkStartAtLogon) chkStartAtLogon->SetChecked(StartsAtLogon());
  SelectNoCase(*listPrnSource, spl_dir_source_);
  SelectNoCase(*listPrnDest, spl_dir_dest_);
  SelectNoCase(*listPrnBackup, spl_dir_backup_);
}

void TfrmMain::EnterLabelEditorPage() {
  try {
    ReadDesignIntoEditor();
  } catch (const std::exception&) {
    ShowPlainMessage(
        "LabelDesign.txt was not found. Please create your own or get the sample from the "
        "installation files");
  }
}

void TfrmMain::ReadDesignIntoEditor() {
  TextEncoding encoding = TextEncoding::kAnsi;
  const std::string text =
      DecodeText(ReadWholeFile(LabelDesignPath(context_.program_dir)), &encoding);
  reLabelDesign->SetText(ui::WithCrLfBreaks(text));
  design_encoding_ = encoding;
}

// --- Setup page ---

void TfrmMain::btnSetupSaveClick() {
  Guarded([this] {
    Lines& lines = settings_lines_.lines;
    auto take_printer = [&](ui::ListBox& list, std::string_view key) {
      const int selected = list.Selected();
      if (selected == ui::ListBox::kNoSelection) return;
      const std::string item = list.Item(selected);
      if (!item.empty()) SetSetting(lines, key, item);
    };
    take_printer(*listPrnSource, kKeySplDirSource);
    take_printer(*listPrnDest, kKeySplDirDest);
    take_printer(*listPrnBackup, kKeySplDirBackup);
    SetSetting(lines, kKeyLabelsText, editLabelsText->Text());
    SetSetting(lines, kKeyTimeText, editTimeText->Text());
    SetSetting(lines, kKeyMapText, editMapText->Text());
    SetSetting(lines, kKeyTotalText, editTotalText->Text());

    WriteSettingsLines();
    TakePrinterCopies();
    AppendToLogView("-> Configuration file saved!");
    AppendToLogView("*** Restarting Application ***");
    WriteChangeMarker();
  });
}

void TfrmMain::WriteChangeMarker() {
  cratemark::WriteChangeMarker(SystemFileSystem(), context_.program_dir, settings_lines_);
}

void TfrmMain::chkStartAtLogonClick() {
  Guarded([this] { SetStartAtLogon(chkStartAtLogon->IsChecked()); });
  // After a failure the box shows what the registry holds.
  chkStartAtLogon->SetChecked(StartsAtLogon());
}

// "Setup Tolvan Labels"
void TfrmMain::btnClick() {
  const ui::MessageAnswer answer = window_->ShowMessage(
      {"This will reset the Label Setup in Tolvan. Are you sure?", "WARNING!!!!",
       ui::MessageButtons::kYesNo, ui::MessageIcon::kNone, /*default_button=*/0});
  if (answer != ui::MessageAnswer::kYes) {
    ShowPlainMessage("Aborted modification");
    return;
  }
  std::unique_ptr<ConsoleTable> definition =
      context_.tables->MakeTable("tblTolvanLBLDef", context_.program_dir,
                                 kLabelPrinterDefinitionFileName, /*read_only=*/false);
  try {
    // Never leave the host's record locked by the console.
    TableGuard guard(*definition);
    definition->Open();
    definition->Edit();
    definition->SetFields(LabelDefinitionValues());
    definition->Post();
    definition->Close();
  } catch (...) {
    std::string reason = "Unexpected failure";
    try {
      throw;
    } catch (const std::exception& error) {
      reason = error.what();
    } catch (...) {
    }
    // The fixed text, then the table component's reason (which field, why).
    ShowPlainMessage("Failed to set values. Run REBASER\r\n\r\n" + ui::WithCrLfBreaks(reason));
    return;
  }
  ShowPlainMessage("Changes applied");
}

void TfrmMain::ProgramIconDblClick() { about_box_->ShowModal(); }

// --- Label Editor page ---

void TfrmMain::listTagsDblClick() {
  const int selected = listTags->Selected();
  if (selected == ui::ListBox::kNoSelection) return;  // a double click below the tags
  const ui::TextPosition at = reLabelDesign->SelectionStart();
  const std::string line = reLabelDesign->Line(at.line);
  reLabelDesign->ReplaceLine(at.line, InsertAtColumn(line, at.column, listTags->Item(selected)));
  reLabelDesign->SetFocus();
}

void TfrmMain::btnSaveDesignClick() {
  Guarded([this] {
    SaveLabelDesign(SystemFileSystem(), context_.program_dir, reLabelDesign->Text(),
                    design_encoding_);
    AppendToLogView("-> Label Design saved on " + LabelDesignPath(context_.program_dir));
    WriteChangeMarker();
  });
}

void TfrmMain::btnLoadLastClick() {
  Guarded([this] {
    ReadDesignIntoEditor();
    AppendToLogView(context_.program_dir + "<- LabelDesign.txt" + " loaded");
  });
}

void TfrmMain::btnTestDesignClick() {
  Guarded([this] {
    const Lines job = BuildTestJobLines(context_.now(), morning_designator_, afternoon_designator_);
    AppendToLogView("++ Sending TEST file to " + TestJobPath(context_.program_dir, spl_dir_dest_));
    WriteTextFile(SystemFileSystem(), TestJobPath(context_.program_dir, spl_dir_source_), job,
                  TextEncoding::kAnsi);
  });
}

// The preview composes the editor's text, saved or not, with the test job
// and the captions of the console's settings; it reads and writes no file.
void TfrmMain::btnPreviewClick() {
  if (!frmPreview) MakePreviewWindow();
  frmPreview->Show();
  RefreshPreview();
}

void TfrmMain::reLabelDesignChange() {
  // Restarted on every change, so that it runs once the typing pauses.
  if (!frmPreview || !frmPreview->IsShown()) return;
  tmrPreview->SetEnabled(false);
  tmrPreview->SetEnabled(true);
}

void TfrmMain::tmrPreviewTimer() {
  tmrPreview->SetEnabled(false);
  RefreshPreview();
}

void TfrmMain::MakePreviewWindow() {
  preview_window_ = toolkit_.NewWindow({ui::WindowKind::kModeless, "Label Preview", 440, 420});
  frmPreview = preview_window_.get();
  frmPreview->AddLabel({6, 4, 428, 14},
                       "The label of a test print, as the label printer prints it:");
  memoPreviewLabel = &frmPreview->AddLogView({6, 20, 428, 206});
  imgPreviewLabel = &frmPreview->AddImageView({6, 20, 428, 206});
  btnPreviewShowText = &frmPreview->AddButton({6, 230, 160, 22}, "Picture / &text");
  btnPreviewShowText->OnClick([this] { btnPreviewShowTextClick(); });
  frmPreview->AddLabel({6, 258, 428, 14}, "Tag check:");
  memoPreviewWarnings = &frmPreview->AddLogView({6, 274, 428, 140});
  try {
    preview_fonts_.emplace(render::LoadPrinterFonts());
  } catch (const Error& e) {
    preview_fonts_error_ = std::string("No label picture: ") + e.what();
  }
}

void TfrmMain::btnPreviewShowTextClick() {
  preview_shows_text_ = !preview_shows_text_;
  RefreshPreview();
}

void TfrmMain::RefreshPreview() {
  if (!frmPreview || !frmPreview->IsShown()) return;
  // The captions as the service takes them from the same settings.
  const Settings settings = SettingsFromLines(settings_lines_.lines);
  const LabelCaptions captions{settings.labels_text, settings.time_text, settings.map_text,
                               settings.total_text};
  LabelPreview preview = PreviewLabel(
      reLabelDesign->Text(), design_encoding_,
      BuildTestJobLines(context_.now(), morning_designator_, afternoon_designator_), captions);
  memoPreviewLabel->SetText(preview.LabelText());
  // A ZPL label is shown as its picture; plain text is its own picture.
  const bool is_zpl = IsZplLabel(preview.label_file_text);
  ui::MonoImage image;
  if (is_zpl && !preview_fonts_) preview.warnings.push_back(preview_fonts_error_);
  if (is_zpl && preview_fonts_) {
    LabelPicture picture = DrawLabelPicture(preview.label_file_text, *preview_fonts_);
    if (!picture.labels.empty()) {
      const render::Raster& label = picture.labels.front();
      image = {label.width(), label.height(), label.dots()};
    }
    for (std::string& warning : picture.warnings) preview.warnings.push_back(std::move(warning));
  }
  const bool show_picture = is_zpl && preview_fonts_ && !preview_shows_text_;
  imgPreviewLabel->SetImage(std::move(image));
  imgPreviewLabel->SetVisible(show_picture);
  memoPreviewLabel->SetVisible(!show_picture);
  btnPreviewShowText->SetVisible(is_zpl && preview_fonts_);
  memoPreviewWarnings->SetText(preview.WarningsText());
}

// --- History page ---

namespace {

std::int64_t FileTimeNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void TfrmMain::EnterHistoryPage() {
  listHistory->Clear();
  listHistoryLabels->Clear();
  memoHistoryOrder->SetText("");
  history_.clear();
  const std::int64_t now_ns = FileTimeNowNs();
  const LocalTime now = context_.now();
  history_ = ReadHistory(SystemFileSystem(), context_.program_dir, now_ns);
  for (const HistoryOrder& order : history_) {
    listHistory->Add(HistoryRowText(order, LocalTimeAt(order.time_ns, now, now_ns), now));
  }
  lblHistoryStatus->SetText(HistoryStatusText(history_));
}

const HistoryOrder* TfrmMain::SelectedOrder() const {
  const int selected = listHistory->Selected();
  if (selected < 0 || static_cast<std::size_t>(selected) >= history_.size()) return nullptr;
  return &history_[static_cast<std::size_t>(selected)];
}

void TfrmMain::listHistorySelect() {
  listHistoryLabels->Clear();
  const HistoryOrder* order = SelectedOrder();
  if (!order) {
    memoHistoryOrder->SetText("");
    return;
  }
  for (const std::string& row : LabelRows(SummarizeOrder(OrderJobLines(order->job_bytes)))) {
    listHistoryLabels->Add(row);
  }
  const std::int64_t now_ns = FileTimeNowNs();
  const LocalTime local = LocalTimeAt(order->time_ns, context_.now(), now_ns);
  memoHistoryOrder->SetText(OrderText(*order, DateTimeText(local)));
}

void TfrmMain::SendReprint(const HistoryOrder& order, std::string_view bytes,
                           const std::string& what) {
  Guarded([&] {
    const std::string folder = context_.program_dir + spl_dir_source_;
    const std::string name = WriteReprintJob(SystemFileSystem(), folder, order.job_name, bytes);
    const std::string path = folder + std::string(1, kPathSeparator) + name;
    AppendToLogView("++ Sending " + what + " of " + order.job_name + " again as " + path);
    ShowPlainMessage("Sent " + what + " of " + order.job_name + " again as " + name +
                     "; its labels say REPRINT where the design has <Reprint>.");
  });
}

void TfrmMain::btnReprintClick() {
  const HistoryOrder* order = SelectedOrder();
  if (!order) {
    ShowPlainMessage("Choose an order in the list first.");
    return;
  }
  if (order->unprinted) {
    ShowPlainMessage("This order is not in the label layout, so it cannot be printed.");
    return;
  }
  const HistoryOrder chosen = *order;
  SendReprint(chosen, chosen.job_bytes, "the whole order");
}

void TfrmMain::btnReprintLabelClick() {
  const HistoryOrder* order = SelectedOrder();
  const int label = listHistoryLabels->Selected();
  if (!order || order->unprinted || label == ui::ListBox::kNoSelection) {
    ShowPlainMessage("Choose an order and one of its labels first.");
    return;
  }
  const HistoryOrder chosen = *order;
  const std::string block = JobBlockBytes(chosen.job_bytes, static_cast<std::size_t>(label));
  SendReprint(chosen, block, "label " + std::to_string(label + 1));
}

void TfrmMain::btnRemoveUnprintedClick() {
  const HistoryOrder* order = SelectedOrder();
  if (!order || !order->unprinted) {
    ShowPlainMessage("Only an order waiting in Unprinted can be removed; choose one first.");
    return;
  }
  const std::string name = order->file_name;
  const ui::MessageAnswer answer = window_->ShowMessage(
      {"Remove the order " + name +
           " from Unprinted? It was never printed, and it is gone for good.",
       kApplicationTitle, ui::MessageButtons::kYesNo, ui::MessageIcon::kWarning,
       /*default_button=*/1});
  if (answer != ui::MessageAnswer::kYes) return;
  if (!RemoveUnprinted(SystemFileSystem(), context_.program_dir, name)) {
    ShowErrorBox("Cannot delete file \"" + UnprintedFolderPath(context_.program_dir) +
                 std::string(1, kPathSeparator) + name + "\"");
  }
  Guarded([this] { EnterHistoryPage(); });
}

void TfrmMain::btnHistoryRefreshClick() {
  Guarded([this] { EnterHistoryPage(); });
}

// --- status monitor ---

void TfrmMain::AppendToLogView(const std::string& line) {
  memoLogInfo->AppendLine(line);
  // The view no longer mirrors the file: the next tick puts the file's text back.
  log_file_.Forget();
}

void TfrmMain::TimerTimer() {
  ShowServiceFiles();
  if (ticks_++ % kUnprintedEveryTicks == 0 || news_.OrderKept()) {
    try {
      news_.SeeUnprinted(CountUnprinted(SystemFileSystem(), context_.program_dir));
    } catch (...) {
      // Counted again at its next turn.
    }
  }
  TellNews();
}

bool TfrmMain::FormCloseQuery() { return !(service_runs_ && trayIcon->HoldsProgram()); }

void TfrmMain::TellNews() {
  std::vector<News> news = news_.TakeNews();
  // Beside the status message the status is told already, and stays true
  // when it changes back, where news would stand until the next news.
  if (trayIcon->IsOnStatusLine()) {
    std::erase_if(news, [](const News& piece) { return piece.kind == NewsKind::kStatus; });
  }
  if (news.empty()) return;
  const News shown = CombinedNews(news);
  trayIcon->ShowNews(shown.title, shown.text);
}

void TfrmMain::ShowServiceFiles() {
  // Unchanged files are not read, and the view takes only the lines the log
  // gained, so an idle tick costs the same with any size of log.
  FileFollower::Update log;
  try {
    log = log_file_.Poll();
  } catch (...) {
    service_runs_ = false;
    news_.SeeStatus(kStatusServiceNotRunning, Printers());
    ShowStatusCode(kStatusServiceNotRunning);
    return;
  }
  service_runs_ = true;
  if (log.change != FileFollower::Change::kNone) {
    news_.SeeLog(log.text, log.change == FileFollower::Change::kAppended);
  }
  if (log.change == FileFollower::Change::kAppended) {
    memoLogInfo->AppendText(log.text);
  } else if (log.change == FileFollower::Change::kReplaced && memoLogInfo->Text() != log.text) {
    // Replaced only when it changed, so that an unchanged log keeps the
    // user's scroll position.
    memoLogInfo->SetText(log.text);
  }

  // An unreadable status file is read again at the next tick.
  try {
    const FileFollower::Update status = status_file_.Poll();
    if (status.change != FileFollower::Change::kNone) {
      const Lines lines = SplitLines(status.text);
      status_code_ = lines.empty() ? std::nullopt : ParseStatusCode(lines.front());
    }
  } catch (...) {
    status_code_.reset();
  }
  if (!status_code_) return;
  news_.SeeStatus(*status_code_, Printers());
  // Shown again only when that would change what the user sees (after the
  // not-running message, or new printer names), so an idle tick redraws nothing.
  if (!IsStatusShown(*status_code_, Printers(), ShownStatus())) ShowStatusCode(*status_code_);
}

PrinterNames TfrmMain::Printers() const {
  return {spl_dir_source_, spl_dir_dest_, spl_dir_backup_};
}

StatusDisplay TfrmMain::ShownStatus() const {
  return {txtErrorLabel->Text(), txtErrorLabel->IsVisible(), txtErrorLabel->IsBlinking()};
}

void TfrmMain::ShowStatusCode(std::int16_t code) {
  const StatusDisplay shown = ShownStatus();
  const StatusDisplay wanted = StatusDisplayFor(code, Printers(), shown);
  txtErrorLabel->SetText(wanted.text);
  if (wanted.is_blinking != shown.is_blinking) txtErrorLabel->SetBlinking(wanted.is_blinking);
  if (wanted.is_visible != shown.is_visible) txtErrorLabel->SetVisible(wanted.is_visible);
}

}  // namespace cratemark
