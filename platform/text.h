// Text rules shared by every part of the system. Upper-casing follows the
// system's rules with one-to-one mapping per character, so that a position in
// the upper-cased copy is the same position in the original.
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

// Upper case of one character by the system's rules (one character out).
char32_t UpperCaseChar(char32_t c);

std::string ToUpper(std::string_view text);

// Equality without regard to case by the system's rules.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Removes every character with a code of 32 or below from both ends.
std::string Trim(std::string_view text);

// Replaces every occurrence of `pattern` in `text`, found without regard to
// case, by `replacement`: scanned from the left, non-overlapping, the
// replacement never rescanned; an empty pattern returns `text` unchanged; the
// characters outside the occurrences keep their case.
std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern,
                             std::string_view replacement);

}  // namespace cratemark
