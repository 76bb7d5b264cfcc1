#include "console/tag_check.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "platform/code_page.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "shared/label_design.h"

namespace cratemark {
namespace {

constexpr std::u32string_view kModifierStart = U"<ITEM MOD[";
constexpr std::u32string_view kModifierEnd = U"]>";

std::u32string UpperCodePoints(std::string_view text) {
  std::u32string chars = Utf8ToCodePoints(text);
  for (char32_t& c : chars) c = UpperCaseChar(c);
  return chars;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

std::size_t EditDistance(std::u32string_view a, std::u32string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The nearest tag form, when it is near enough to be what was meant: a text
// like "<STX>" for the printer is no misspelt "<Phone>".
std::string NearestTag(std::u32string_view upper) {
  std::string nearest;
  std::size_t best = std::max<std::size_t>(2, upper.size() / 3) + 1;
  for (std::string_view form : kLabelTagForms) {
    const std::size_t distance = EditDistance(upper, UpperCodePoints(form));
    if (distance < best) {
      best = distance;
      nearest = form;
    }
  }
  return nearest;
}

// What is wrong with the number of a modifier tag; nullopt when it is usable.
std::optional<TagProblem> ModifierNumberProblem(std::u32string_view number) {
  if (number == U"N") return TagProblem::kModifierLiteralN;
  const bool has_blank =
      std::any_of(number.begin(), number.end(), [](char32_t c) { return c <= 32; });
  const bool rest_digits =
      std::all_of(number.begin(), number.end(), [](char32_t c) { return c <= 32 || IsDigit(c); });
  if (has_blank && rest_digits && std::any_of(number.begin(), number.end(), IsDigit)) {
    return TagProblem::kModifierBlank;
  }
  if (number.empty() || !std::all_of(number.begin(), number.end(), IsDigit)) {
    return TagProblem::kModifierNotANumber;
  }
  const std::size_t first_significant = number.find_first_not_of(U'0');
  if (first_significant == std::u32string_view::npos) return TagProblem::kModifierZero;
  if (first_significant > 0) return TagProblem::kModifierLeadingZero;
  // Compared by length first: the number may not fit any integer.
  const std::u32string_view limit = U"100";
  if (number.size() > limit.size() || (number.size() == limit.size() && number > limit)) {
    return TagProblem::kModifierAboveHundred;
  }
  return std::nullopt;
}

std::optional<TagFinding> Check(std::u32string_view candidate) {
  const std::u32string upper = [&] {
    std::u32string chars(candidate);
    for (char32_t& c : chars) c = UpperCaseChar(c);
    return chars;
  }();
  for (std::string_view form : kLabelTagForms) {
    if (form != kTagItemModForm && upper == UpperCodePoints(form)) return std::nullopt;
  }
  TagFinding finding;
  finding.text = CodePointsToUtf8(candidate);
  if (upper.starts_with(kModifierStart) && upper.ends_with(kModifierEnd) &&
      upper.size() >= kModifierStart.size() + kModifierEnd.size()) {
    std::u32string_view number(upper);
    number = number.substr(kModifierStart.size(),
                           upper.size() - kModifierStart.size() - kModifierEnd.size());
    std::optional<TagProblem> problem = ModifierNumberProblem(number);
    if (!problem) return std::nullopt;
    finding.problem = *problem;
    return finding;
  }
  finding.problem = TagProblem::kUnknownTag;
  finding.suggestion = NearestTag(upper);
  return finding;
}

}  // namespace

std::vector<TagFinding> CheckTags(std::string_view design_text) {
  std::vector<TagFinding> findings;
  const Lines lines = SplitLines(design_text);
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::u32string chars = Utf8ToCodePoints(lines[l]);
    std::size_t open = chars.find(U'<');
    while (open != std::u32string::npos) {
      const std::size_t end = chars.find_first_of(U"<>", open + 1);
      if (end == std::u32string::npos) break;
      if (chars[end] == U'<') {  // an inner "<" starts the candidate anew
        open = end;
        continue;
      }
      if (std::optional<TagFinding> finding =
              Check(std::u32string_view(chars).substr(open, end - open + 1))) {
        finding->line = static_cast<int>(l) + 1;
        finding->column = static_cast<int>(open) + 1;
        findings.push_back(std::move(*finding));
      }
      open = chars.find(U'<', end + 1);
    }
  }
  return findings;
}

std::string DescribeTagFinding(const TagFinding& finding) {
  std::string reason;
  switch (finding.problem) {
    case TagProblem::kUnknownTag:
      reason = "unknown tag";
      if (!finding.suggestion.empty()) reason += ", did you mean " + finding.suggestion + "?";
      break;
    case TagProblem::kModifierLiteralN:
      reason = "replace n by the modifier's number";
      break;
    case TagProblem::kModifierLeadingZero:
      reason = "leading zero in the modifier number, never filled";
      break;
    case TagProblem::kModifierBlank:
      reason = "blank in the modifier number, never filled";
      break;
    case TagProblem::kModifierZero:
      reason = "modifiers count from 1, never filled";
      break;
    case TagProblem::kModifierNotANumber:
      reason = "the modifier number is not a number, never filled";
      break;
    case TagProblem::kModifierAboveHundred:
      reason = "modifier number above 100, filled only for an item with that many modifiers";
      break;
  }
  return "Line " + std::to_string(finding.line) + ", column " + std::to_string(finding.column) +
         ": " + finding.text + ": " + reason;
}

}  // namespace cratemark
