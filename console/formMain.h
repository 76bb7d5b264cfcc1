// The console's main window: the Log Info, Label Editor and Setup pages and
// their handlers. Everything it does reaches the service through files in
// the program folder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/console_table.h"
#include "console/file_follower.h"
#include "console/formAbout.h"
#include "console/service_news.h"
#include "console/status_display.h"
#include "platform/local_time.h"
#include "platform/text_file.h"
#include "render/label_renderer.h"
#include "shared/order_history.h"
#include "ui/window.h"

namespace cratemark {

inline constexpr char kApplicationTitle[] = "Veltrane's Cratemark";

struct ConsoleContext {
  std::string program_dir;  // ends with a separator
  ConsoleTables* tables = nullptr;
  std::function<LocalTime()> now = NowLocal;
  // Where the two programs' files are, for their versions; empty: in
  // program_dir. Differs when the folder was given on the command line.
  std::string executable_dir{};
  // Started at logon: only the notification area, no window, where the
  // toolkit has one.
  bool start_in_notification_area = false;
};

class TfrmMain {
 public:
  // Creates the window (running FormCreate) and the hidden about box.
  TfrmMain(ui::Toolkit& toolkit, ConsoleContext context);
  ~TfrmMain();

  ui::Window& window() { return *window_; }
  TAboutBox& about_box() { return *about_box_; }

  // Handlers, public so that the window's events and tests reach them alike.
  void pageMainChange();
  void btnSetupSaveClick();
  void WriteChangeMarker();
  void listTagsDblClick();
  void btnSaveDesignClick();
  void btnLoadLastClick();
  void btnTestDesignClick();
  void btnPreviewClick();
  void reLabelDesignChange();
  void tmrPreviewTimer();
  void btnPreviewShowTextClick();
  void TimerTimer();
  // Whether closing the window ends the console: not while the service runs
  // and the notification area can hold the console.
  bool FormCloseQuery();
  void ShowStatusCode(std::int16_t code);
  void btnClick();
  void chkStartAtLogonClick();
  void ProgramIconDblClick();
  void listHistorySelect();
  void btnReprintClick();
  void btnReprintLabelClick();
  void btnRemoveUnprintedClick();
  void btnHistoryRefreshClick();

  // The console's copies of the printer settings.
  const std::string& SPLDirSource() const { return spl_dir_source_; }
  const std::string& SPLDirDest() const { return spl_dir_dest_; }
  const std::string& SPLDirBackup() const { return spl_dir_backup_; }

  // Controls, found by their names.
  ui::TabControl* pageMain = nullptr;
  ui::LogView* memoLogInfo = nullptr;
  ui::ListBox* listTags = nullptr;
  ui::Editor* reLabelDesign = nullptr;
  ui::Button* btnLoadLast = nullptr;
  ui::Button* btnTestDesign = nullptr;
  ui::Button* btnSaveDesign = nullptr;
  ui::Button* btnPreview = nullptr;
  ui::Timer* tmrPreview = nullptr;
  // The preview window, made on the first "Preview" click.
  ui::Window* frmPreview = nullptr;
  ui::LogView* memoPreviewLabel = nullptr;
  // A ZPL label as the printer prints it; the escaped text is a click away.
  ui::ImageView* imgPreviewLabel = nullptr;
  ui::Button* btnPreviewShowText = nullptr;
  ui::LogView* memoPreviewWarnings = nullptr;
  ui::ListBox* listPrnSource = nullptr;
  ui::ListBox* listPrnDest = nullptr;
  ui::ListBox* listPrnBackup = nullptr;
  ui::Edit* editLabelsText = nullptr;
  ui::Edit* editTimeText = nullptr;
  ui::Edit* editMapText = nullptr;
  ui::Edit* editTotalText = nullptr;
  ui::Button* btnSetupSave = nullptr;
  ui::Button* btn = nullptr;
  // Only where the console can be started at logon into the notification area.
  ui::CheckBox* chkStartAtLogon = nullptr;
  ui::Picture* ProgramIcon = nullptr;
  ui::Label* lblHistoryStatus = nullptr;
  ui::ListBox* listHistory = nullptr;
  ui::ListBox* listHistoryLabels = nullptr;
  ui::LogView* memoHistoryOrder = nullptr;
  ui::Button* btnReprint = nullptr;
  ui::Button* btnReprintLabel = nullptr;
  ui::Button* btnRemoveUnprinted = nullptr;
  ui::Button* btnHistoryRefresh = nullptr;
  ui::BlinkLabel* txtErrorLabel = nullptr;
  ui::Timer* Timer = nullptr;
  ui::NotificationArea* trayIcon = nullptr;

 private:
  void CreateControls();
  void CreateLogInfoPage(ui::Container& page);
  void CreateLabelEditorPage(ui::Container& page);
  void CreateSetupPage(ui::Container& page);
  void CreateHistoryPage(ui::Container& page);
  void EnterHistoryPage();
  // The order chosen in the History list; null when none.
  const HistoryOrder* SelectedOrder() const;
  // Writes a reprint into the source printer's folder and says so.
  void SendReprint(const HistoryOrder& order, std::string_view bytes, const std::string& what);
  void FormCreate();
  void FormDestroy();
  void EnterSetupPage();
  void EnterLabelEditorPage();
  void ReadDesignIntoEditor();
  void MakePreviewWindow();
  void RefreshPreview();
  void TakePrinterCopies();
  PrinterNames Printers() const;
  StatusDisplay ShownStatus() const;
  void WriteSettingsLines();  // "Cratemark.cfg", in the encoding it was read in
  // A line of the console's own in the log view, until the log is read again.
  void AppendToLogView(const std::string& line);
  // The log and status file into the view and the status message.
  void ShowServiceFiles();
  // What changed since the last tick, beside the window.
  void TellNews();

  // Runs a handler; a failure it does not catch itself goes to the error box.
  void Guarded(const std::function<void()>& handler);
  void ShowErrorBox(std::string text);
  void ShowPlainMessage(const std::string& text);

  ui::Toolkit& toolkit_;
  ConsoleContext context_;
  std::unique_ptr<ui::Window> window_;
  std::unique_ptr<TAboutBox> about_box_;
  std::unique_ptr<ui::Window> preview_window_;
  // The printer's fonts for the preview's picture, read with the window;
  // when they cannot be, why, for the tag check's list.
  std::optional<render::PrinterFonts> preview_fonts_;
  std::string preview_fonts_error_;
  bool preview_shows_text_ = false;

  TextFileContent settings_lines_;  // SettingsLines with the encoding it was read in
  std::string spl_dir_source_, spl_dir_dest_, spl_dir_backup_;
  TextEncoding design_encoding_ = TextEncoding::kAnsi;
  std::string morning_designator_, afternoon_designator_;

  // The service's files as the status timer last read them.
  FileFollower log_file_;
  FileFollower status_file_;
  std::optional<std::int16_t> status_code_;  // of the status file as last read
  bool service_runs_ = false;                // its log could be read at the last tick
  ServiceNews news_;
  int ticks_ = 0;
  std::vector<HistoryOrder> history_;  // as the History page last read it, row by row
};

}  // namespace cratemark
