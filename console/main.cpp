// Entry of the setup console on Windows: one instance per logged-on user,
// the main window and its message loop.
#include "console/dbf_console_tables.h"
#include "console/formMain.h"
#include "platform/file_system.h"
#include "platform/single_instance.h"
#include "ui/windows/win32_toolkit.h"

int wmain(int, wchar_t**) {
  // A second start ends at once: no window, no message.
  std::unique_ptr<cratemark::InstanceClaim> instance = cratemark::ClaimSingleInstance("Cratemark");
  if (!instance) return 0;
  std::unique_ptr<cratemark::ui::Toolkit> toolkit = cratemark::ui::MakeWin32Toolkit();
  cratemark::DbfConsoleTables tables;
  cratemark::TfrmMain form(*toolkit, {cratemark::ProgramDir(), &tables});
  return toolkit->Run(form.window());
}
