#include "shared/label_composer.h"

#include <string_view>

#include "platform/text.h"
#include "shared/label_design.h"
#include "shared/order_job.h"

namespace cratemark {
namespace {

std::string Stripped(std::string_view line, std::string_view caption) {
  return Trim(ReplaceAllNoCase(line, caption, ""));
}

// The working text of one label: the design joined with CR LF. Tags never
// contain a line break, so replacing in the joined text equals replacing in
// a text that is split again after every tag.
class WorkingLabel {
 public:
  void Set(const Lines& lines) { text_ = JoinLines(lines); }
  void Apply(std::string_view tag, std::string_view value) {
    text_ = ReplaceAllNoCase(text_, tag, value);
  }
  Lines ToLines() const { return SplitLines(text_); }

 private:
  std::string text_;
};

void ComposeBlock(const Lines& job, std::size_t b, const LabelCaptions& captions,
                  WorkingLabel& label) {
  auto l = [&](std::size_t offset) { return JobLine(job, b + offset); };
  label.Apply(kTagReference, l(kJobReference));
  label.Apply(kTagRevenueCenter, l(kJobRevenueCenter));
  label.Apply(kTagEmployee, l(kJobEmployee));
  label.Apply(kTagTransactionDescription, l(kJobTransactionDescription));
  label.Apply(kTagTotalText, l(kJobTotal));
  label.Apply(kTagOrderTotal, Stripped(l(kJobTotal), captions.total_text));
  label.Apply(kTagOrderTime, l(kJobOrderTime));
  label.Apply(kTagOrderTimeParsed, Stripped(l(kJobOrderTime), captions.time_text));
  label.Apply(kTagLabelHeader, l(kJobLabelHeader));
  label.Apply(kTagLabelHeaderParsed, Stripped(l(kJobLabelHeader), captions.labels_text));
  label.Apply(kTagAddress, l(kJobAddress));
  label.Apply(kTagCityAndTown, l(kJobCityAndTown));
  label.Apply(kTagPhone, l(kJobPhone));
  label.Apply(kTagMapCode, l(kJobMapCode));
  label.Apply(kTagMapCodeParsed, Stripped(l(kJobMapCode), captions.map_text));
  label.Apply(kTagDirections, l(kJobDirections));

  // The item search may run on into the next block (an all-empty item area
  // takes the next block's first line), but never past the job's end.
  std::size_t item = b + kJobItemAreaFirst;
  while (item < job.size() && job[item].empty()) ++item;
  label.Apply(kTagItemName, Trim(JobLine(job, item)));

  std::size_t k = 0;
  while (!JobLine(job, item + k + 1).empty()) {
    ++k;
    label.Apply(ItemModTag(static_cast<int>(k)), Trim(JobLine(job, item + k)));
  }
}

}  // namespace

void EscapeQuotes(Lines& job_lines) {
  for (std::string& line : job_lines) line = ReplaceAllNoCase(line, "'", "\\'");
}

Lines ComposeBlocks(const Lines& job_lines, const LabelCaptions& captions,
                    const DesignReader& read_design) {
  Lines labels;
  WorkingLabel label;
  for (std::size_t b = 0; b < job_lines.size(); b += kJobBlockLines) {
    if (std::optional<Lines> design = read_design()) label.Set(*design);
    ComposeBlock(job_lines, b, captions, label);
    for (int n = 1; n <= 100; ++n) label.Apply(ItemModTag(n), "");
    Lines block = label.ToLines();
    labels.insert(labels.end(), block.begin(), block.end());
  }
  return labels;
}

}  // namespace cratemark
