// Finds the texts between "<" and ">" in a label design that the composer
// will never fill: misspelt tags and modifier tags without a usable number.
// Only a warning for the user; a design is saved whatever it finds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

enum class TagProblem {
  kUnknownTag,            // not one of the tag forms
  kModifierLiteralN,      // "<Item Mod[n]>" as the tag list offers it
  kModifierLeadingZero,   // "<Item Mod[01]>"
  kModifierBlank,         // "<Item Mod[ 1]>"
  kModifierZero,          // "<Item Mod[0]>": modifiers count from 1
  kModifierNotANumber,    // "<Item Mod[]>", "<Item Mod[x]>"
  kModifierAboveHundred,  // filled only for an item with that many modifiers
};

struct TagFinding {
  int line = 0;      // from 1
  int column = 0;    // from 1, in characters
  std::string text;  // from "<" to ">"
  TagProblem problem = TagProblem::kUnknownTag;
  std::string suggestion;  // the nearest tag form for an unknown tag; may be empty
};

// Every suspicious "<...>" of `design_text`, in text order. A candidate is a
// "<" followed by the nearest ">" on the same line with no "<" between them.
// Tags match without regard to case, as the composer finds them.
std::vector<TagFinding> CheckTags(std::string_view design_text);

// One line for the user, e.g.
// "Line 2, column 7: <Adress>: unknown tag, did you mean <Address>?".
std::string DescribeTagFinding(const TagFinding& finding);

}  // namespace cratemark
