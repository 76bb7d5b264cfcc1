// Entry of the setup console on Linux: the same window logic, drawn in the
// terminal (for label servers reached over SSH). One instance per user;
// "--program-dir DIR" names the program folder when the console is
// installed apart from it.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "console/dbf_console_tables.h"
#include "console/formMain.h"
#include "platform/file_system.h"
#include "platform/program_dir_option.h"
#include "platform/single_instance.h"
#include "ui/terminal/curses_screen.h"
#include "ui/terminal/terminal_toolkit.h"

namespace {

constexpr char kUsage[] =
    "usage: Cratemark [--program-dir DIR]\n"
    "  The setup console of the Cratemark label service, in this terminal.\n"
    "  --program-dir DIR  the folder with Cratemark.cfg, the label design, the\n"
    "                     service's log and Tolvan's tables (default: the folder\n"
    "                     this program is in)\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace cratemark;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  const ProgramDirOption option = TakeProgramDirOption(args);
  if (!option.error.empty() || !option.rest.empty()) {
    std::fprintf(stderr, "Cratemark: %s\n%s",
                 option.error.empty() ? ("unknown argument \"" + option.rest[0] + "\"").c_str()
                                      : option.error.c_str(),
                 kUsage);
    return 2;
  }
  // A second start ends at once; in a terminal a line says why, where the
  // window program shows nothing.
  std::unique_ptr<InstanceClaim> instance = ClaimSingleInstance("Cratemark");
  if (!instance) {
    std::fputs("Cratemark is already running for this user.\n", stderr);
    return 0;
  }
  try {
    std::unique_ptr<ui::Toolkit> toolkit =
        ui::MakeTerminalToolkit(ui::terminal::OpenCursesScreen(), ui::terminal::SystemClock());
    DbfConsoleTables tables;
    TfrmMain form(
        *toolkit,
        {.program_dir = option.program_dir, .tables = &tables, .executable_dir = ProgramDir()});
    return toolkit->Run(form.window());
  } catch (const std::exception& failure) {
    // The toolkit has given the terminal back by now.
    std::fprintf(stderr, "Cratemark: %s\n", failure.what());
    return 1;
  }
}
