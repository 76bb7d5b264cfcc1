// The texts of the service's status codes.
#include "shared/status_message.h"

#include <cstdint>

#include "shared/status_file.h"

namespace cratemark {

std::string StatusMessage(std::int16_t code, std::string_view spl_dir_source,
                          std::string_view spl_dir_dest, std::string_view spl_dir_backup) {
  auto printer = [](std::string_view dir) {
    return "Printer \"" + std::string(dir) + "\" NOT configured";
  };
  switch (code) {
    case kStatusSourceDirMissing:
      return printer(spl_dir_source);
    case kStatusDestDirMissing:
      return printer(spl_dir_dest);
    case kStatusSourceLockTableFailed:
      return "Cannot open or create LockSPL.dbf";
    case kStatusBackupDirMissing:
      return printer(spl_dir_backup);
    case kStatusDesignUnreadable:
      return "LabelDesign.txt does not exist.";
    case kStatusServiceNotRunning:
      return "Cratemark Service is not running!!!";
    case kStatusSettingsUnreadable:
      return "Cratemark.cfg cannot be read";
    case kStatusSourceServedElsewhere:
      return "Tolvan's spooler still serves " + std::string(spl_dir_source);
    case kStatusReloadFailed:
      return "Settings could not be applied; see the log";
    default:
      return {};
  }
}

}  // namespace cratemark
