// The folder "Printed" in the program folder: the orders the service has
// delivered, each kept with its job's bytes unchanged behind a short header
// (when, the job's name, where its labels went), so that the console can
// list them and send them again. It holds at most kPrintedMaxJobs orders and
// none older than kPrintedMaxAge; the oldest go as new ones come.
//
// An entry is one file "<number>-<time>.job": twelve digits numbering the
// entries in the order kept, and the time it was kept (as in the header), so
// that a service starting again learns what to remove from the names alone.
// It is written whole (temporary file, then one rename), so a reader meets
// it complete or not at all:
//
//   Cratemark printed order 1 CR LF
//   Time=<nanoseconds since 1970-01-01 UTC> CR LF
//   Name=<job name> CR LF
//   Where=printer | backup | waiting CR LF
//   Printer=<the spool folder setting the labels went to> CR LF
//   CR LF
//   <the job's bytes, unchanged>
//
// Names and printers are written with "%" and every byte below 32 as "%XX",
// so a name never breaks a line of the header.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace cratemark {

inline constexpr std::string_view kPrintedFolderName = "Printed";
inline constexpr std::size_t kPrintedMaxJobs = 1000;
inline constexpr std::chrono::hours kPrintedMaxAge{24};
// The header is a few hundred bytes; no entry is read beyond this.
inline constexpr std::uint64_t kMaxPrintedEntryBytes = 4 * 1024 * 1024 + 64 * 1024;

std::string PrintedFolderPath(std::string_view program_dir);

// Where an order's labels went.
enum class PrintedWhere {
  kPrinter,  // the label printer
  kBackup,   // the backup printer
  kWaiting,  // nowhere yet: left in the label printer's folder ("# Failed to print...")
};

struct PrintedRecord {
  std::int64_t time_ns = 0;  // when it was delivered, on the scale of FileStamp::modified_ns
  std::string job_name;      // the job's file name in the source folder
  PrintedWhere where = PrintedWhere::kPrinter;
  std::string printer;  // the spool folder setting of the printer written to
};

struct PrintedEntry {
  PrintedRecord record;
  std::string job_bytes;
};

// The bytes of an entry file.
std::string PrintedEntryBytes(const PrintedRecord& record, std::string_view job_bytes);

// Reads an entry file's bytes; nullopt when they are not one (another file,
// a damaged header). Never throws on any input.
std::optional<PrintedEntry> ParsePrintedEntry(std::string_view bytes);

// What an entry's file name carries; nullopt for any other name.
struct PrintedEntryName {
  std::uint64_t number = 0;
  std::int64_t time_ns = 0;
};
std::optional<PrintedEntryName> ParsePrintedEntryName(std::string_view file_name);

// The service's side: keeps each delivered order. The folder is looked at
// once, at the first Keep; from then on what is kept is remembered (at most
// kPrintedMaxJobs numbers and times), so keeping one costs the same however
// full the folder is. Not thread-safe.
class PrintedFolder {
 public:
  // `program_dir` ends with a separator. `fs` must outlive the keeper.
  PrintedFolder(FileSystem& fs, std::string program_dir);

  // Writes the entry, after removing what retention no longer keeps
  // (`record.time_ns` is now). Never throws: a failure gives the line for
  // the log, once, the first time after a success (nullopt otherwise), and
  // the order goes on.
  std::optional<std::string> Keep(const PrintedRecord& record, std::string_view job_bytes);

 private:
  using Kept = PrintedEntryName;
  void Load();
  void KeepOrThrow(const PrintedRecord& record, std::string_view job_bytes);

  FileSystem& fs_;
  std::string folder_;
  bool loaded_ = false;
  std::deque<Kept> kept_;  // oldest first
  std::uint64_t next_number_ = 1;
  bool failing_ = false;
};

}  // namespace cratemark
