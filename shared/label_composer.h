// Turns an order job into the text of its box labels: one copy of the label
// design per 100-line block, with the block's values in place of the tags.
// Pure text work; reading the design file is left to the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace cratemark {

// Captions stripped from job lines for the parsed tags.
struct LabelCaptions {
  std::string labels_text;  // "LabelsText"
  std::string time_text;    // "TimeText"
  std::string map_text;     // "MapText"
  std::string total_text;   // "TotalText"
};

// Precedes every single quote of every job line with a backslash.
void EscapeQuotes(Lines& job_lines);

// Reads the label design afresh; nullopt when it cannot be read. Called once
// per block, so a design changed between blocks takes effect at once.
using DesignReader = std::function<std::optional<Lines>()>;

// The most label text one job may give: far above any real order, so that a
// job whose values hold tags again cannot make the text grow without end.
inline constexpr std::size_t kMaxLabelBytes = 64 * 1024 * 1024;

// Labels of every block of `job_lines`, one after the other. The job must be
// in block layout (FollowsBlockLayout). When the design cannot be read for a block,
// that block keeps whatever the working text holds (nothing for the first
// block, the previous finished label for later ones), as the caller halts and
// never delivers such a result anyway.
//
// A line past the end of the job counts as empty: a last block whose item area
// is all empty gets an empty item name, and a modifier run ends at the job's end.
// "<Reprint>" gives kReprintMark when `job_name` is a reprint's
// (IsReprintJobName), nothing otherwise; it is filled first, so a job value
// that spells the tag cannot print the mark. "<Backup>" gives
// kBackupMarkPrefix + `backup_for` when that is not empty (labels bound for
// the backup printer, `backup_for` naming the label printer), nothing
// otherwise; it is filled second, for the same reason.
// The time per block does not grow with the job's size. Throws Error
// (kTooLarge) when the labels would pass kMaxLabelBytes.
Lines ComposeBlocks(const Lines& job_lines, const LabelCaptions& captions,
                    const DesignReader& read_design, std::string_view job_name = {},
                    std::string_view backup_for = {});

}  // namespace cratemark
