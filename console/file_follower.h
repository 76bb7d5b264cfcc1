// Follows a file that the service writes, for the console's 500 ms tick: an
// unchanged file (same size, last-write time and identity) is not read at
// all; a file that only grew is read from where the last read ended; only a
// replaced, shrunk or rewritten file is read whole. The text handed out is
// what reading the whole file would give (byte-order-mark detection, lines
// shown with CR LF), so a view that appends it shows what a whole read shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/text_file.h"

namespace cratemark {

class FileFollower {
 public:
  enum class Change { kNone, kAppended, kReplaced };
  struct Update {
    Change change = Change::kNone;
    // kAppended: the new lines; kReplaced: the whole text. Every line ends in CR LF.
    std::string text;
  };

  // `may_append`: hand out growth as kAppended; otherwise every change is
  // read whole (for small files whose whole text matters). `fs` must
  // outlive the follower.
  FileFollower(FileSystem& fs, std::string path, bool may_append);

  // Throws Error when the file is missing or cannot be read; a missing file
  // is read whole when it comes back.
  Update Poll();

  // The next Poll reads the file whole, changed or not.
  void Forget() { is_known_ = false; }

 private:
  Update ReadWhole();
  void KeepGuard(std::string_view shown);

  FileSystem& fs_;
  std::string path_;
  bool may_append_;
  bool is_known_ = false;
  FileStamp stamp_;               // of the file as last read
  std::uint64_t read_end_ = 0;    // bytes of it shown so far
  bool can_follow_tail_ = false;  // read ended at a line end, in an 8-bit encoding
  TextEncoding encoding_ = TextEncoding::kAnsi;
  // Two writes within one tick of the file system's clock may leave the same
  // stamp, so the bytes last read are checked once more at the next tick.
  bool needs_confirm_ = false;
  std::uint64_t chunk_offset_ = 0;
  std::string chunk_;
  // The last bytes shown, read again before the new ones: a file rewritten in
  // place to a greater size keeps its identity but not, as a rule, these.
  std::string guard_;
};

}  // namespace cratemark
