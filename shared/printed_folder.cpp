#include "shared/printed_folder.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "platform/error.h"

namespace cratemark {
namespace {

constexpr std::string_view kMagicLine = "Cratemark printed order 1";
constexpr std::string_view kEntryExtension = ".job";
constexpr std::size_t kNumberDigits = 12;
constexpr std::uint64_t kLastNumber = 999'999'999'999;
constexpr std::string_view kHex = "0123456789ABCDEF";

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || c == '%') {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexValue(char c) {
  const std::size_t at = kHex.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

std::optional<std::string> Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::optional<std::int64_t> ParseTime(std::string_view text) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    if (value > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::string_view WhereText(PrintedWhere where) {
  switch (where) {
    case PrintedWhere::kPrinter:
      return "printer";
    case PrintedWhere::kBackup:
      return "backup";
    case PrintedWhere::kWaiting:
      break;
  }
  return "waiting";
}

std::optional<PrintedWhere> ParseWhere(std::string_view text) {
  for (const PrintedWhere where :
       {PrintedWhere::kPrinter, PrintedWhere::kBackup, PrintedWhere::kWaiting}) {
    if (text == WhereText(where)) return where;
  }
  return std::nullopt;
}

std::string EntryName(const PrintedEntryName& name) {
  std::string digits = std::to_string(name.number);
  if (digits.size() < kNumberDigits) digits.insert(0, kNumberDigits - digits.size(), '0');
  return digits + "-" + std::to_string(name.time_ns) + std::string(kEntryExtension);
}

}  // namespace

std::string PrintedFolderPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kPrintedFolderName);
}

std::string PrintedEntryBytes(const PrintedRecord& record, std::string_view job_bytes) {
  std::string bytes(kMagicLine);
  bytes += "\r\nTime=" + std::to_string(record.time_ns);
  bytes += "\r\nName=" + Escaped(record.job_name);
  bytes += "\r\nWhere=" + std::string(WhereText(record.where));
  bytes += "\r\nPrinter=" + Escaped(record.printer);
  bytes += "\r\n\r\n";
  bytes += job_bytes;
  return bytes;
}

std::optional<PrintedEntry> ParsePrintedEntry(std::string_view bytes) {
  // The header's lines, up to the empty one; the rest is the job.
  auto next_line = [&](std::string_view& line) {
    const std::size_t end = bytes.find("\r\n");
    if (end == std::string_view::npos) return false;
    line = bytes.substr(0, end);
    bytes.remove_prefix(end + 2);
    return true;
  };
  std::string_view line;
  if (!next_line(line) || line != kMagicLine) return std::nullopt;
  PrintedEntry entry;
  bool has_time = false, has_name = false, has_where = false, has_printer = false;
  for (;;) {
    if (!next_line(line)) return std::nullopt;
    if (line.empty()) break;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "Time" && !has_time) {
      const auto time = ParseTime(value);
      if (!time) return std::nullopt;
      entry.record.time_ns = *time;
      has_time = true;
    } else if (key == "Name" && !has_name) {
      auto name = Unescaped(value);
      if (!name) return std::nullopt;
      entry.record.job_name = std::move(*name);
      has_name = true;
    } else if (key == "Where" && !has_where) {
      const auto where = ParseWhere(value);
      if (!where) return std::nullopt;
      entry.record.where = *where;
      has_where = true;
    } else if (key == "Printer" && !has_printer) {
      auto printer = Unescaped(value);
      if (!printer) return std::nullopt;
      entry.record.printer = std::move(*printer);
      has_printer = true;
    }
    // Other keys, from a later version, are passed over.
  }
  if (!has_time || !has_name || !has_where || !has_printer) return std::nullopt;
  entry.job_bytes = std::string(bytes);
  return entry;
}

std::optional<PrintedEntryName> ParsePrintedEntryName(std::string_view file_name) {
  if (file_name.size() < kNumberDigits + 2 + kEntryExtension.size() ||
      !file_name.ends_with(kEntryExtension) || file_name[kNumberDigits] != '-') {
    return std::nullopt;
  }
  PrintedEntryName name;
  for (const char c : file_name.substr(0, kNumberDigits)) {
    if (c < '0' || c > '9') return std::nullopt;
    name.number = name.number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  const std::string_view time = file_name.substr(
      kNumberDigits + 1, file_name.size() - kNumberDigits - 1 - kEntryExtension.size());
  const auto time_ns = ParseTime(time);
  if (!time_ns) return std::nullopt;
  name.time_ns = *time_ns;
  return name;
}

PrintedFolder::PrintedFolder(FileSystem& fs, std::string program_dir)
    : fs_(fs), folder_(PrintedFolderPath(program_dir)) {}

std::optional<std::string> PrintedFolder::Keep(const PrintedRecord& record,
                                               std::string_view job_bytes) {
  try {
    KeepOrThrow(record, job_bytes);
    failing_ = false;
    return std::nullopt;
  } catch (const std::exception& error) {
    // A history that cannot be written never holds up an order; one line
    // says so until it works again.
    if (failing_) return std::nullopt;
    failing_ = true;
    return "# Could not keep " + record.job_name + " in " + folder_ + ": " + error.what();
  }
}

void PrintedFolder::Load() {
  if (!fs_.DirectoryExists(folder_)) fs_.CreateDirectories(folder_);
  std::vector<Kept> found;
  // Appended, not "*" + ...: GCC 12 at -O2 warns falsely (-Wrestrict) on that.
  std::string pattern(1, '*');
  pattern += kEntryExtension;
  for (const DirectoryEntry& entry : fs_.ListDirectory(folder_, pattern)) {
    if (entry.type != EntryType::kFile) continue;
    if (const auto name = ParsePrintedEntryName(entry.name)) found.push_back(*name);
  }
  std::sort(found.begin(), found.end(),
            [](const Kept& a, const Kept& b) { return a.number < b.number; });
  kept_.assign(found.begin(), found.end());
  next_number_ = kept_.empty() ? 1 : kept_.back().number + 1;
  loaded_ = true;
}

void PrintedFolder::KeepOrThrow(const PrintedRecord& record, std::string_view job_bytes) {
  if (!loaded_) Load();
  if (next_number_ > kLastNumber)
    next_number_ = 1;  // twelve digits: a thousand a second for 30 years
  const Kept kept{next_number_, record.time_ns};
  fs_.WriteWholeFileIn(folder_, EntryName(kept), PrintedEntryBytes(record, job_bytes));
  kept_.push_back(kept);
  ++next_number_;
  // Then what the new one makes too many, and all past their time. Each
  // order removes about one, so the cost stays flat; only a folder left
  // alone for a day removes more at once, and never more than it holds.
  // Removed after the write, their names ride along with the next one's sync.
  const std::int64_t oldest_kept =
      record.time_ns - std::chrono::duration_cast<std::chrono::nanoseconds>(kPrintedMaxAge).count();
  while (!kept_.empty() &&
         (kept_.size() > kPrintedMaxJobs || kept_.front().time_ns < oldest_kept)) {
    fs_.DeleteFileIn(folder_, EntryName(kept_.front()));
    kept_.pop_front();
  }
}

}  // namespace cratemark
