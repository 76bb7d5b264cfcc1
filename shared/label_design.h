// The label design "LabelDesign.txt": the literal text of one label with
// tags where the values of one job block go. Tags are found without regard
// to case; there is no escape syntax.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace cratemark {

inline constexpr std::string_view kLabelDesignFileName = "LabelDesign.txt";

inline constexpr std::string_view kTagAddress = "<Address>";
// "BACKUP for <label printer>" on labels written to the backup printer,
// nothing where they belong: whoever finds them at another station knows
// where to carry them.
inline constexpr std::string_view kTagBackup = "<Backup>";
inline constexpr std::string_view kBackupMarkPrefix = "BACKUP for ";
inline constexpr std::string_view kTagCityAndTown = "<City and Town>";
inline constexpr std::string_view kTagDirections = "<Directions>";
inline constexpr std::string_view kTagEmployee = "<Employee>";
inline constexpr std::string_view kTagItemModForm = "<Item Mod[n]>";  // n: 1, 2, ...
inline constexpr std::string_view kTagItemName = "<Item Name>";
inline constexpr std::string_view kTagLabelHeaderParsed = "<Label Header (Parsed)>";
inline constexpr std::string_view kTagLabelHeader = "<Label Header>";
inline constexpr std::string_view kTagMapCodeParsed = "<Map Code (Parsed)>";
inline constexpr std::string_view kTagMapCode = "<Map Code>";
inline constexpr std::string_view kTagOrderTimeParsed = "<Order Time (Parsed)>";
inline constexpr std::string_view kTagOrderTime = "<Order Time>";
inline constexpr std::string_view kTagOrderTotal = "<Order Total>";
inline constexpr std::string_view kTagPhone = "<Phone>";
inline constexpr std::string_view kTagReference = "<Reference>";
// "REPRINT" on the labels of a job sent again from the console, nothing on
// a first print: a fixed text, so that no setting can hide it.
inline constexpr std::string_view kTagReprint = "<Reprint>";
inline constexpr std::string_view kReprintMark = "REPRINT";
inline constexpr std::string_view kTagRevenueCenter = "<Revenue Center>";
inline constexpr std::string_view kTagTotalText = "<Total Text>";
inline constexpr std::string_view kTagTransactionDescription = "<Transaction Description>";

// The 20 tag forms in the order the console offers them.
inline constexpr std::array<std::string_view, 20> kLabelTagForms = {
    kTagAddress,     kTagBackup,        kTagCityAndTown, kTagDirections,
    kTagEmployee,    kTagItemModForm,   kTagItemName,    kTagLabelHeaderParsed,
    kTagLabelHeader, kTagMapCodeParsed, kTagMapCode,     kTagOrderTimeParsed,
    kTagOrderTime,   kTagOrderTotal,    kTagPhone,       kTagReference,
    kTagReprint,     kTagRevenueCenter, kTagTotalText,   kTagTransactionDescription};

// "<Item Mod[" + n in decimal without leading zeros + "]>".
std::string ItemModTag(int n);

std::string LabelDesignPath(std::string_view program_dir);

// Reads the design with the encoding it was stored in. Throws Error.
TextFileContent ReadLabelDesign(FileSystem& fs, std::string_view program_dir);

// Saves `text` exactly as given (no line break added after the last line) in
// `encoding`, the one the design was read in. Throws Error.
void SaveLabelDesign(FileSystem& fs, std::string_view program_dir, std::string_view text,
                     TextEncoding encoding);

}  // namespace cratemark
