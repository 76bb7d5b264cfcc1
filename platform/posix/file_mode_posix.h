// Writing a file with a mode of its own, for the program copies that
// "-INSTALL" makes: like WriteWholeFile (complete under its name or absent,
// its folder synced), and never with more rights than `mode`, whatever the
// umask. POSIX only.
#pragma once

#include <sys/types.h>

#include <string_view>

namespace cratemark {

void WriteWholeFileWithMode(std::string_view path, std::string_view bytes, mode_t mode);

}  // namespace cratemark
