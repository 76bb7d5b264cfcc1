#include "platform/wildcard.h"

#include <string>

#include "platform/code_page.h"
#include "platform/text.h"

namespace cratemark {

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  std::u32string n = Utf8ToCodePoints(name);
  std::u32string p = Utf8ToCodePoints(pattern);
  for (char32_t& c : n) c = UpperCaseChar(c);
  for (char32_t& c : p) c = UpperCaseChar(c);

  // Greedy matching with one backtrack point: the last "*" seen.
  std::size_t ni = 0, pi = 0;
  std::size_t star = std::u32string::npos, star_n = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == U'*') {
      star = pi++;
      star_n = ni;
    } else if (star != std::u32string::npos) {
      pi = star + 1;
      ni = ++star_n;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

}  // namespace cratemark
