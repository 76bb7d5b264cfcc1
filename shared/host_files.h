// The host's file names, one spelling each. Names are matched without regard
// to case (Windows does; on Linux the file system seam does), so the host may
// write "tolvanspool.err" and still be seen.
#pragma once

#include <string_view>

namespace cratemark {

// A printer's lock table in its spool folder; a serving spooler holds it locked.
inline constexpr std::string_view kLockTableFileName = "LOCKSPL.DBF";
// Present in a spool folder while the host's spooler reports a problem there.
inline constexpr std::string_view kSpoolerMarkerFileName = "TOLVANSPOOL.ERR";
// The host's printer table in the program folder (field "SubDir").
inline constexpr std::string_view kPrinterTableFileName = "TolvanSpool.DBF";
// The host's label printer definition in the program folder.
inline constexpr std::string_view kLabelPrinterDefinitionFileName = "LBLPRDEF.DBF";

}  // namespace cratemark
