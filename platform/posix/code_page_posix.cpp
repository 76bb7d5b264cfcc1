// The POSIX build has no system code page of the Windows kind; it uses the
// one Tolvan's Windows machines use.
#include "platform/code_page.h"
#include "platform/windows_1252.h"

namespace cratemark {

std::string AnsiToUtf8(std::string_view ansi) { return Windows1252ToUtf8(ansi); }

std::string Utf8ToAnsi(std::string_view utf8) { return Utf8ToWindows1252(utf8); }

}  // namespace cratemark
