#include "console/file_follower.h"

#include <algorithm>
#include <utility>

#include "platform/code_page.h"
#include "platform/error.h"

namespace cratemark {
namespace {

// Text of bytes that follow a line end in a file of `encoding`: the same as
// the part a whole decoding gives for them, as both encodings decode each
// line on its own.
std::string DecodeTail(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8) return CodePointsToUtf8(Utf8ToCodePoints(bytes));
  return AnsiToUtf8(bytes);
}

}  // namespace

FileFollower::FileFollower(FileSystem& fs, std::string path, bool may_append)
    : fs_(fs), path_(std::move(path)), may_append_(may_append) {}

FileFollower::Update FileFollower::Poll() {
  const FileStamp stamp = fs_.StampOf(path_);
  if (!stamp.exists) {
    Forget();
    throw Error(ErrorKind::kNotFound, "Cannot open file \"" + path_ + "\".");
  }
  if (is_known_ && stamp == stamp_ && read_end_ == stamp.size) {
    if (!needs_confirm_) return {};
    FileStamp seen;
    const std::string bytes = fs_.ReadSharedFrom(path_, chunk_offset_, &seen);
    if (seen != stamp_ || bytes != chunk_) return ReadWhole();
    needs_confirm_ = false;
    std::string().swap(chunk_);
    return {};
  }
  if (is_known_ && can_follow_tail_ && stamp.identity == stamp_.identity &&
      stamp.size > read_end_) {
    FileStamp seen;
    std::string bytes = fs_.ReadSharedFrom(path_, read_end_ - guard_.size(), &seen);
    // Not the same file any more, rewritten, or no whole line yet (a line
    // still being written, or a file that ends without a line break): read
    // it whole.
    if (seen.identity != stamp_.identity || !bytes.starts_with(guard_)) return ReadWhole();
    bytes.erase(0, guard_.size());
    const std::size_t line_end = bytes.rfind('\n');
    if (line_end == std::string::npos) return ReadWhole();
    bytes.resize(line_end + 1);  // a line still being written comes with the next tick
    Update update{Change::kAppended, JoinLines(SplitLines(DecodeTail(bytes, encoding_)))};
    stamp_ = seen;
    chunk_offset_ = read_end_;
    read_end_ += bytes.size();
    KeepGuard(bytes);
    chunk_ = std::move(bytes);
    needs_confirm_ = true;
    return update;
  }
  return ReadWhole();
}

FileFollower::Update FileFollower::ReadWhole() {
  FileStamp seen;
  std::string bytes = fs_.ReadSharedFrom(path_, 0, &seen);
  TextEncoding encoding = TextEncoding::kAnsi;
  Update update{Change::kReplaced, JoinLines(SplitLines(DecodeText(bytes, &encoding)))};
  is_known_ = true;
  stamp_ = seen;
  encoding_ = encoding;
  read_end_ = bytes.size();
  // UTF-16 files and files ending inside a line are read whole at every
  // change; the service writes neither.
  can_follow_tail_ = may_append_ && bytes.ends_with('\n') &&
                     (encoding == TextEncoding::kAnsi || encoding == TextEncoding::kUtf8);
  chunk_offset_ = 0;
  guard_.clear();
  KeepGuard(bytes);
  chunk_ = std::move(bytes);
  needs_confirm_ = true;
  return update;
}

void FileFollower::KeepGuard(std::string_view shown) {
  constexpr std::size_t kGuardBytes = 64;
  guard_ += shown.substr(shown.size() - std::min(shown.size(), kGuardBytes));
  guard_.erase(0, guard_.size() - std::min(guard_.size(), kGuardBytes));
}

}  // namespace cratemark
