#include "shared/label_composer.h"

#include <set>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/text.h"
#include "shared/label_design.h"
#include "shared/order_job.h"
#include "shared/reprint_job.h"

namespace cratemark {
namespace {

std::string Stripped(std::string_view line, std::string_view caption) {
  return Trim(ReplaceAllNoCase(line, caption, ""));
}

// The numbers n of the "<Item Mod[n]>" tags in `text`, found as the tag
// replacement finds them (without regard to case).
std::set<std::size_t> ItemModNumbersIn(std::string_view text) {
  static constexpr std::string_view kOpen = "<ITEM MOD[";
  constexpr std::size_t kMaxDigits = 9;  // more than any job has lines
  const std::string upper = ToUpper(text);
  std::set<std::size_t> numbers;
  for (std::size_t at = upper.find(kOpen); at != std::string::npos;
       at = upper.find(kOpen, at + 1)) {
    std::size_t i = at + kOpen.size();
    const std::size_t first_digit = i;
    std::size_t n = 0;
    while (i < upper.size() && i - first_digit < kMaxDigits && upper[i] >= '0' && upper[i] <= '9') {
      n = n * 10 + static_cast<std::size_t>(upper[i] - '0');
      ++i;
    }
    // Written without leading zeros, as the tags are made.
    if (i == first_digit || upper[first_digit] == '0') continue;
    if (upper.compare(i, 2, "]>") == 0) numbers.insert(n);
  }
  return numbers;
}

// The working text of one label: the design joined with CR LF. Tags never
// contain a line break, so replacing in the joined text equals replacing in
// a text that is split again after every tag.
class WorkingLabel {
 public:
  // `room`: how large the text may grow (what the labels before left over).
  void Set(const Lines& lines) { text_ = JoinLines(lines); }
  void Apply(std::string_view tag, std::string_view value, std::size_t room) {
    if (value.size() > tag.size()) {
      // A value that holds tags applied later can make the text grow by a
      // factor at each tag; refuse before building a text beyond `room`.
      const std::size_t most = text_.size() + text_.size() / tag.size() * value.size();
      if (most > room) {
        const std::size_t removed = text_.size() - ReplaceAllNoCase(text_, tag, "").size();
        if (text_.size() - removed + removed / tag.size() * value.size() > room) {
          throw Error(ErrorKind::kTooLarge, "The labels would be larger than " +
                                                std::to_string(kMaxLabelBytes) + " bytes.");
        }
      }
    }
    text_ = ReplaceAllNoCase(text_, tag, value);
  }
  const std::string& text() const { return text_; }
  Lines ToLines() const { return SplitLines(text_); }

 private:
  std::string text_;
};

// Where each run of lines ends, found once per job so that a block's item
// search and modifier run cost the same however far they reach.
class JobRuns {
 public:
  explicit JobRuns(const Lines& job) : next_empty_(job.size() + 1), next_filled_(job.size() + 1) {
    const std::size_t n = job.size();
    next_empty_[n] = next_filled_[n] = n;
    for (std::size_t i = n; i-- > 0;) {
      next_empty_[i] = job[i].empty() ? i : next_empty_[i + 1];
      next_filled_[i] = job[i].empty() ? next_filled_[i + 1] : i;
    }
  }
  // The first non-empty line at or after `i`; the job's size when none.
  std::size_t NextFilled(std::size_t i) const {
    return i < next_filled_.size() ? next_filled_[i] : next_filled_.back();
  }
  // How many non-empty lines follow from `i` on.
  std::size_t FilledFrom(std::size_t i) const {
    return i < next_empty_.size() ? next_empty_[i] - i : 0;
  }

 private:
  std::vector<std::size_t> next_empty_;
  std::vector<std::size_t> next_filled_;
};

// Applies "<Item Mod[k]>" for k = 1 .. last, in order, with value(k). Only
// the numbers present in the text can change it; after each change the text
// is looked at again, since a value may itself hold a later tag.
template <typename Value>
void ApplyItemMods(WorkingLabel& label, std::size_t last, const Value& value, std::size_t room) {
  std::set<std::size_t> present = ItemModNumbersIn(label.text());
  for (auto it = present.begin(); it != present.end() && *it <= last;) {
    const std::size_t k = *it;
    label.Apply(ItemModTag(static_cast<int>(k)), value(k), room);
    present = ItemModNumbersIn(label.text());
    it = present.upper_bound(k);
  }
}

void ComposeBlock(const Lines& job, const JobRuns& runs, std::size_t b,
                  const LabelCaptions& captions, bool reprint, std::string_view backup_mark,
                  WorkingLabel& label, std::size_t room) {
  auto l = [&](std::size_t offset) { return JobLine(job, b + offset); };
  auto apply = [&](std::string_view tag, std::string_view value) { label.Apply(tag, value, room); };
  apply(kTagReprint, reprint ? kReprintMark : std::string_view());
  apply(kTagBackup, backup_mark);
  apply(kTagReference, l(kJobReference));
  apply(kTagRevenueCenter, l(kJobRevenueCenter));
  apply(kTagEmployee, l(kJobEmployee));
  apply(kTagTransactionDescription, l(kJobTransactionDescription));
  apply(kTagTotalText, l(kJobTotal));
  apply(kTagOrderTotal, Stripped(l(kJobTotal), captions.total_text));
  apply(kTagOrderTime, l(kJobOrderTime));
  apply(kTagOrderTimeParsed, Stripped(l(kJobOrderTime), captions.time_text));
  apply(kTagLabelHeader, l(kJobLabelHeader));
  apply(kTagLabelHeaderParsed, Stripped(l(kJobLabelHeader), captions.labels_text));
  apply(kTagAddress, l(kJobAddress));
  apply(kTagCityAndTown, l(kJobCityAndTown));
  apply(kTagPhone, l(kJobPhone));
  apply(kTagMapCode, l(kJobMapCode));
  apply(kTagMapCodeParsed, Stripped(l(kJobMapCode), captions.map_text));
  apply(kTagDirections, l(kJobDirections));

  // The item search may run on into the next block (an all-empty item area
  // takes the next block's first line), but never past the job's end.
  const std::size_t item = runs.NextFilled(b + kJobItemAreaFirst);
  apply(kTagItemName, Trim(JobLine(job, item)));

  // The modifiers run to the first empty line, wherever it is.
  const std::size_t modifiers = runs.FilledFrom(item + 1);
  ApplyItemMods(
      label, modifiers, [&](std::size_t k) { return Trim(JobLine(job, item + k)); }, room);
}

}  // namespace

void EscapeQuotes(Lines& job_lines) {
  for (std::string& line : job_lines) line = ReplaceAllNoCase(line, "'", "\\'");
}

Lines ComposeBlocks(const Lines& job_lines, const LabelCaptions& captions,
                    const DesignReader& read_design, std::string_view job_name,
                    std::string_view backup_for) {
  const JobRuns runs(job_lines);
  const bool reprint = IsReprintJobName(job_name);
  const std::string backup_mark =
      backup_for.empty() ? std::string() : std::string(kBackupMarkPrefix) + std::string(backup_for);
  Lines labels;
  std::size_t labels_bytes = 0;
  WorkingLabel label;
  for (std::size_t b = 0; b < job_lines.size(); b += kJobBlockLines) {
    if (std::optional<Lines> design = read_design()) label.Set(*design);
    const std::size_t room = kMaxLabelBytes - labels_bytes;
    ComposeBlock(job_lines, runs, b, captions, reprint, backup_mark, label, room);
    ApplyItemMods(
        label, 100, [](std::size_t) { return std::string(); }, room);
    if (label.text().size() > room) {
      throw Error(ErrorKind::kTooLarge,
                  "The labels would be larger than " + std::to_string(kMaxLabelBytes) + " bytes.");
    }
    labels_bytes += label.text().size();
    Lines block = label.ToLines();
    labels.insert(labels.end(), block.begin(), block.end());
  }
  return labels;
}

}  // namespace cratemark
