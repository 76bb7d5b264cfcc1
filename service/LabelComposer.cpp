#include "service/LabelComposer.h"

#include <string_view>

#include "platform/text.h"

namespace cratemark {
namespace {

// Line n of the job, or the empty text past its end.
std::string_view LineAt(const Lines& lines, std::size_t n) {
  return n < lines.size() ? std::string_view(lines[n]) : std::string_view();
}

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
  auto l = [&](std::size_t offset) { return LineAt(job, b + offset); };
  label.Apply("<Reference>", l(0));
  label.Apply("<Revenue Center>", l(1));
  label.Apply("<Employee>", l(2));
  label.Apply("<Transaction Description>", l(3));
  label.Apply("<Total Text>", l(4));
  label.Apply("<Order Total>", Stripped(l(4), captions.total_text));
  label.Apply("<Order Time>", l(5));
  label.Apply("<Order Time (Parsed)>", Stripped(l(5), captions.time_text));
  label.Apply("<Label Header>", l(6));
  label.Apply("<Label Header (Parsed)>", Stripped(l(6), captions.labels_text));
  label.Apply("<Address>", l(7));
  label.Apply("<City and Town>", l(8));
  label.Apply("<Phone>", l(9));
  label.Apply("<Map Code>", l(10));
  label.Apply("<Map Code (Parsed)>", Stripped(l(10), captions.map_text));
  label.Apply("<Directions>", l(11));

  // The item search may run on into the next block (an all-empty item area
  // takes the next block's first line), but never past the job's end.
  std::size_t item = b + 20;
  while (item < job.size() && job[item].empty()) ++item;
  label.Apply("<Item Name>", Trim(LineAt(job, item)));

  std::size_t k = 0;
  while (!LineAt(job, item + k + 1).empty()) {
    ++k;
    label.Apply("<Item Mod[" + std::to_string(k) + "]>", Trim(LineAt(job, item + k)));
  }
}

}  // namespace

void EscapeQuotes(Lines& job_lines) {
  for (std::string& line : job_lines) line = ReplaceAllNoCase(line, "'", "\\'");
}

bool IsBlockLayout(const Lines& job_lines) { return job_lines.size() % kJobBlockLines == 0; }

Lines ComposeBlocks(const Lines& job_lines, const LabelCaptions& captions,
                    const DesignReader& read_design) {
  Lines labels;
  WorkingLabel label;
  for (std::size_t b = 0; b < job_lines.size(); b += kJobBlockLines) {
    if (std::optional<Lines> design = read_design()) label.Set(*design);
    ComposeBlock(job_lines, b, captions, label);
    for (int n = 1; n <= 100; ++n) label.Apply("<Item Mod[" + std::to_string(n) + "]>", "");
    Lines block = label.ToLines();
    labels.insert(labels.end(), block.begin(), block.end());
  }
  return labels;
}

}  // namespace cratemark
