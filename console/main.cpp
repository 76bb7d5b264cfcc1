// Entry of the setup console on Windows: one instance per logged-on user,
// the main window and its message loop. "/TRAY" (the start at logon) brings
// it up in the notification area only.
#include <cwchar>

#include "console/dbf_console_tables.h"
#include "console/formMain.h"
#include "platform/file_system.h"
#include "platform/logon_start.h"
#include "platform/single_instance.h"
#include "platform/windows/wide_string.h"
#include "ui/windows/win32_toolkit.h"

int wmain(int argc, wchar_t** argv) {
  // A second start ends at once: no window, no message.
  std::unique_ptr<cratemark::InstanceClaim> instance = cratemark::ClaimSingleInstance("Cratemark");
  if (!instance) return 0;
  const std::wstring tray_switch = cratemark::ToWide(cratemark::kStartInNotificationAreaSwitch);
  bool in_notification_area = false;
  for (int i = 1; i < argc; ++i) {
    if (_wcsicmp(argv[i], tray_switch.c_str()) == 0) in_notification_area = true;
  }
  std::unique_ptr<cratemark::ui::Toolkit> toolkit = cratemark::ui::MakeWin32Toolkit();
  cratemark::DbfConsoleTables tables;
  cratemark::TfrmMain form(*toolkit, {.program_dir = cratemark::ProgramDir(),
                                      .tables = &tables,
                                      .start_in_notification_area = in_notification_area});
  return toolkit->Run(form.window());
}
