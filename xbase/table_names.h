// Pure rules about table file names and aliases, kept apart from the table
// object so that they can be tested by tables of cases.
//
// Names may use "\" or "/" between directory and file on every platform; a
// drive prefix "X:" also ends a directory part.
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

bool IsPathSeparator(char c);                      // "\" or "/"
std::string FileNamePart(std::string_view name);   // "C:\POS\LOCKSPL.DBF" -> "LOCKSPL.DBF"
std::string DirectoryPart(std::string_view name);  // "C:\POS\LOCKSPL.DBF" -> "C:\POS\"
bool HasExtension(std::string_view file_name);     // any "." in the file name
std::string WithDefaultExtension(std::string_view file_name);  // adds ".DBF" when none

// First candidate alias for a file name part: upper-cased (a-z only), cut
// before its first ".", at most 8 characters, every character but A-Z as "_".
std::string AliasBase(std::string_view file_name);

// The candidate after `alias` when `alias` is taken: its first 8 - digits(n)
// characters followed by n.
std::string NextAliasCandidate(std::string_view alias, int n);

}  // namespace cratemark
