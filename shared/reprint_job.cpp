#include "shared/reprint_job.h"

#include "platform/error.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "shared/order_job.h"

namespace cratemark {
namespace {

// More reprints of one order than any kitchen asks for; past it the folder
// is full of them and something else is wrong.
constexpr int kMaxReprintNumber = 10000;

}  // namespace

bool IsReprintJobName(std::string_view job_name) {
  return job_name.size() >= kReprintJobPrefix.size() &&
         EqualsNoCase(job_name.substr(0, kReprintJobPrefix.size()), kReprintJobPrefix);
}

std::string ReprintJobName(std::string_view job_name, int n) {
  std::string_view stem = job_name;
  if (stem.size() >= 4 && EqualsNoCase(stem.substr(stem.size() - 4), ".spl")) {
    stem.remove_suffix(4);
  }
  return std::string(kReprintJobPrefix) + std::string(stem) + "-" + std::to_string(n) + ".spl";
}

std::string JobBlockBytes(std::string_view job_bytes, std::size_t block) {
  TextEncoding encoding = TextEncoding::kAnsi;
  const Lines lines = SplitLines(DecodeText(job_bytes, &encoding));
  const std::size_t first = block * kJobBlockLines;
  if (block >= BlockCount(lines)) return {};
  const Lines one(lines.begin() + static_cast<std::ptrdiff_t>(first),
                  lines.begin() + static_cast<std::ptrdiff_t>(first + kJobBlockLines));
  return EncodeText(JoinLines(one), encoding);
}

std::string WriteReprintJob(FileSystem& fs, std::string_view source_dir, std::string_view job_name,
                            std::string_view bytes) {
  const std::string separator(1, kPathSeparator);
  for (int n = 1; n <= kMaxReprintNumber; ++n) {
    const std::string name = ReprintJobName(job_name, n);
    if (fs.PathExists(std::string(source_dir) + separator + name)) continue;
    // Never replaces: a name taken meanwhile gets a free one of its own.
    return fs.WriteNewFileIn(source_dir, name, bytes);
  }
  throw Error(ErrorKind::kIo, "Cannot create file \"" + std::string(source_dir) + separator +
                                  ReprintJobName(job_name, kMaxReprintNumber + 1) +
                                  "\". Too many reprints of this order wait there.");
}

}  // namespace cratemark
