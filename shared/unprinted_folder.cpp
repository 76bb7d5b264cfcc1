#include "shared/unprinted_folder.h"

#include <algorithm>

#include "shared/order_job.h"

namespace cratemark {
namespace {

struct Kept {
  std::string name;
  std::int64_t modified_ns;
};

// The regular files of the folder that match the job pattern, oldest first.
std::vector<Kept> KeptJobs(FileSystem& fs, const std::string& folder) {
  std::vector<Kept> jobs;
  for (const DirectoryEntry& entry : fs.ListDirectory(folder, kJobFilePattern)) {
    if (entry.type != EntryType::kFile) continue;
    const FileStamp stamp = fs.StampOfFileIn(folder, entry.name);
    if (stamp.exists) jobs.push_back({entry.name, stamp.modified_ns});
  }
  std::sort(jobs.begin(), jobs.end(), [](const Kept& a, const Kept& b) {
    return a.modified_ns != b.modified_ns ? a.modified_ns < b.modified_ns : a.name < b.name;
  });
  return jobs;
}

}  // namespace

std::string UnprintedFolderPath(std::string_view program_dir) {
  return std::string(program_dir) + std::string(kUnprintedFolderName);
}

KeptJob KeepUnprinted(FileSystem& fs, std::string_view program_dir, std::string_view job_name,
                      std::string_view bytes, std::int64_t now_ns) {
  const std::string folder = UnprintedFolderPath(program_dir);
  const std::string separator(1, kPathSeparator);
  if (!fs.DirectoryExists(folder)) fs.CreateDirectories(folder);
  KeptJob kept;
  const std::vector<Kept> jobs = KeptJobs(fs, folder);
  const std::int64_t oldest_kept =
      now_ns - std::chrono::duration_cast<std::chrono::nanoseconds>(kUnprintedMaxAge).count();
  // Room for the new one: the folder never holds more than the bound.
  const std::size_t over =
      jobs.size() >= kUnprintedMaxJobs ? jobs.size() + 1 - kUnprintedMaxJobs : 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (i >= over && jobs[i].modified_ns >= oldest_kept) break;
    if (fs.DeleteFileIn(folder, jobs[i].name))
      kept.removed.push_back(folder + separator + jobs[i].name);
  }
  const std::string name = fs.WriteNewFileIn(folder, job_name, bytes);
  fs.SyncFolder(folder);
  kept.path = folder + separator + name;
  return kept;
}

std::size_t CountUnprinted(FileSystem& fs, std::string_view program_dir) {
  std::size_t count = 0;
  for (const DirectoryEntry& entry :
       fs.ListDirectory(UnprintedFolderPath(program_dir), kJobFilePattern)) {
    if (entry.type == EntryType::kFile) ++count;
  }
  return count;
}

}  // namespace cratemark
