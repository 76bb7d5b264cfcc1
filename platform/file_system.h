// File system seam. Paths are UTF-8 text formed by plain concatenation, as the
// system does everywhere (ProgramDir() + "Label1" + "\\" + "TestLabel.spl").
// On POSIX "\\" separates like "/", repeated separators count as one, and each
// component is matched without regard to case against what exists on disk
// (an exact match first); a component that does not exist keeps its spelling.
// All functions are thread-safe.
//
// The free functions below serve the engine and the table component, which
// sit behind a C interface and cannot take an object. Everything else reaches
// the disk through a FileSystem (at the end of this file), so that tests can
// cut the power or fail any operation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_claim.h"
#include "platform/volume.h"

namespace cratemark {

// The separator the system inserts between a directory and a name it adds
// ("/" on POSIX, "\\" on Windows).
extern const char kPathSeparator;

// Full path of the running executable; empty when the system cannot tell.
std::string ProgramPath();

// Directory of the running executable, with a trailing separator.
std::string ProgramDir();

// The folder a file's `path` names, without a trailing separator except at
// a root ("/", and "C:\" on Windows); "." for a bare name.
std::string FolderOf(const std::string& path);

// File name of the running executable, without its directory; empty when
// the system cannot tell.
std::string ProgramFileName();

// The native path that names `path` on this machine (see above). Windows
// returns the path unchanged.
std::string ResolvePath(std::string_view path);

bool FileExists(std::string_view path);       // a file (not a directory) exists
bool DirectoryExists(std::string_view path);  // a directory exists
bool PathExists(std::string_view path);       // file or directory

// What a folder entry is, seen without following a link.
enum class EntryType {
  kFile,       // a regular file
  kDirectory,  // a folder
  kOther,      // a link, FIFO, device, socket or other reparse point
};

struct DirectoryEntry {
  std::string name;  // without directory
  EntryType type = EntryType::kFile;
};

// Entries of `directory` whose names match `pattern` ("*.spl", "*", "?"
// wildcards) without regard to case: on Windows in the order the system lists
// them, on POSIX sorted by upper-cased name (readdir order is arbitrary).
// Hidden and system entries included; "." and ".." left out. A missing
// directory gives an empty list.
std::vector<DirectoryEntry> ListDirectory(std::string_view directory, std::string_view pattern);

// Deletes a file; false when it could not be deleted (missing included).
bool DeleteFileAt(std::string_view path);

// Creates a directory (and missing parents). Throws Error on failure.
void CreateDirectories(std::string_view path);

// Whole-file reading with writers denied while reading (Windows share mode).
// On POSIX only a regular file is read (a FIFO or device: ErrorKind::kNotAFile).
// Throws Error with "Cannot open file \"<path>\". <reason>".
std::string ReadWholeFile(std::string_view path);

struct FileStamp;

// The bytes from `offset` to the end, read like ReadWholeFile; an offset past
// the end gives none. `stamp`, when given, receives the stamp of the file
// actually read, taken after reading. Throws Error like ReadWholeFile.
std::string ReadFileFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp = nullptr);

// Writes `bytes` so that no reader ever sees a half-written file: a temporary
// file in the same folder (name not ending in ".spl"), held exclusively while
// written, then put in place of `path` in one step. Throws Error with
// "Cannot create file \"<path>\". <reason>".
void WriteWholeFile(std::string_view path, std::string_view bytes);

// Appends `bytes` to an existing file with one write, then flushes it to
// disk; the file is held exclusively meanwhile. A failed append is cut off
// again, so the file keeps only whole appends. A missing file is written
// whole (WriteWholeFile), so no reader meets it half-made. Throws Error with
// "Cannot create file \"<path>\". <reason>".
void AppendToFile(std::string_view path, std::string_view bytes);

// Gives the file at `existing` a second name `link` (a hard link: one file,
// two names; writes through either show in both). `link` must not exist.
// Throws Error with "Cannot create file \"<link>\". <reason>", also where
// the volume has no hard links.
void LinkFile(std::string_view existing, std::string_view link);

// Puts the file `from` in place of `to` in one step, replacing `to`. Throws
// Error with "Cannot rename file \"<from>\" to \"<to>\". <reason>".
void RenameFile(std::string_view from, std::string_view to);

// Size, modification time and the file's identity on its volume, to tell
// whether a file is still being written, or was changed or replaced since it
// was last looked at. A file put in place by a rename has a new identity.
// Times count nanoseconds since 1970-01-01 UTC on every platform, by the
// clock of the machine that stamped them (on a share, the file server's).
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::uint64_t identity = 0;
  // The inode's change time where the platform has one (POSIX; 0 elsewhere):
  // stamped by the kernel at every write, rename or link, and never set back
  // by a program, unlike the modification time.
  std::int64_t changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
  // The same file with the same contents, whatever its change time says (a
  // rename changes that).
  bool SameContents(const FileStamp& other) const {
    return exists == other.exists && size == other.size && modified_ns == other.modified_ns &&
           identity == other.identity;
  }
};
FileStamp StampOf(std::string_view path);

// True when both paths name one existing folder, by what the file system
// says (device and inode on POSIX, volume serial and file index on Windows)
// rather than by spelling: ".", "..", links, bind mounts, case and short
// names all count. False when either cannot be found.
bool SameFolder(std::string_view a, std::string_view b);

// Operations on one entry of `folder`, named exactly as a listing gave it:
// the name is never split, so on POSIX a "\\" in it is an ordinary character.
// None of them follows a link. Error messages name folder + separator + name.

// Size and time of a regular file; `exists` is false for anything else.
FileStamp StampOfFileIn(std::string_view folder, std::string_view name);

// Reads a regular file whole, writers denied while reading. Anything else
// (link, FIFO, device, socket, folder) is refused without an open that could
// block (ErrorKind::kNotAFile), and so is a file of more than `max_bytes`
// (ErrorKind::kTooLarge).
// Throws Error with "Cannot open file \"<path>\". <reason>".
std::string ReadFileIn(std::string_view folder, std::string_view name, std::uint64_t max_bytes);

// WriteWholeFile for `name` in `folder`. The temporary name does not grow
// with `name`.
void WriteWholeFileIn(std::string_view folder, std::string_view name, std::string_view bytes);

// Removes the temporary files that WriteWholeFile left in `folder` when its
// process ended while writing (killed, or the power failed): those of a
// process that no longer runs. Returns how many it removed.
int RemoveAbandonedTemporaries(std::string_view folder);

// Deletes the file `name` in `folder`; false when it could not be deleted
// (missing included). A folder is never deleted.
bool DeleteFileIn(std::string_view folder, std::string_view name);

// Writes `bytes` whole (synced) under `name` in `folder`, or, when that name
// is taken, under the first free one of "7001-2.spl", "7001-3.spl", ...: an
// existing file is never replaced. The folder itself is not synced
// (SyncFolder). Returns the name written. Throws Error like WriteWholeFileIn.
std::string WriteNewFileIn(std::string_view folder, std::string_view name, std::string_view bytes);

// Makes the names created, renamed and deleted in `folder` durable, so that
// they survive a power cut. Throws Error; ErrorKind::kUnsupported where the
// file system offers no such sync (a FAT volume, some shares), which callers
// may take as done. A no-op where the system journals names itself (NTFS).
void SyncFolder(std::string_view folder);

// What the platform said of a job's writers when it was read.
enum class LeaseAnswer {
  kGranted,     // a read lease (Linux): broken when a writer opens the file
  kWriterOpen,  // the lease was refused as the file is open for writing (EAGAIN)
  kRefused,     // leases refused for another reason (no CAP_LEASE, NFSv3)
  kShareMode,   // read with writers kept out by share modes (Windows)
};

// The outcome of TakenJob::DeleteIfUnchanged.
enum class JobDeletion {
  kDeleted,  // the same file, unchanged and unwritten, is gone
  kChanged,  // it was written to, replaced or removed since it was read: it stays
  kFailed,   // it could not be deleted (no right to): it stays
};

// A job read whole, held until it is deleted or let go. What the lease
// answer means depends on the volume: on a local disk EAGAIN is a writer, on
// a share it may only be the file server's oplocks turned off, and a lease
// granted through FUSE knows nothing of writers on the server.
class TakenJob {
 public:
  virtual ~TakenJob() = default;
  const std::string& bytes() const { return bytes_; }
  const FileStamp& stamp() const { return stamp_; }  // of the file read
  virtual LeaseAnswer lease() const = 0;
  // Deletes the job when it is, at that moment, the file read (identity),
  // with the size and time it had then, and no writer has broken its lease
  // since.
  virtual JobDeletion DeleteIfUnchanged() = 0;

 protected:
  std::string bytes_;
  FileStamp stamp_;
};

// TakeJobIn and ReadSharedFrom of the machine's file system (see below).
std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                    std::uint64_t max_bytes);
std::string ReadSharedFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp = nullptr);

// The file system the programs use. Methods do what the free functions of the
// same names do; the system's one forwards to them.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FileExists(std::string_view path) = 0;
  virtual bool DirectoryExists(std::string_view path) = 0;
  virtual bool PathExists(std::string_view path) = 0;
  virtual std::vector<DirectoryEntry> ListDirectory(std::string_view directory,
                                                    std::string_view pattern) = 0;
  virtual bool DeleteFileAt(std::string_view path) = 0;
  virtual void CreateDirectories(std::string_view path) = 0;
  std::string ReadWholeFile(std::string_view path) { return ReadFileFrom(path, 0); }
  virtual std::string ReadFileFrom(std::string_view path, std::uint64_t offset,
                                   FileStamp* stamp = nullptr) = 0;
  // ReadFileFrom without keeping writers, or a delete, out (Windows share
  // modes), for reading a file another program keeps appending to (the log).
  virtual std::string ReadSharedFrom(std::string_view path, std::uint64_t offset,
                                     FileStamp* stamp = nullptr) = 0;
  virtual void WriteWholeFile(std::string_view path, std::string_view bytes) = 0;
  virtual void AppendToFile(std::string_view path, std::string_view bytes) = 0;
  virtual void LinkFile(std::string_view existing, std::string_view link) = 0;
  virtual void RenameFile(std::string_view from, std::string_view to) = 0;
  virtual FileStamp StampOf(std::string_view path) = 0;
  virtual bool SameFolder(std::string_view a, std::string_view b) = 0;

  virtual FileStamp StampOfFileIn(std::string_view folder, std::string_view name) = 0;
  virtual std::string ReadFileIn(std::string_view folder, std::string_view name,
                                 std::uint64_t max_bytes) = 0;
  virtual void WriteWholeFileIn(std::string_view folder, std::string_view name,
                                std::string_view bytes) = 0;
  virtual std::string WriteNewFileIn(std::string_view folder, std::string_view name,
                                     std::string_view bytes) = 0;
  virtual int RemoveAbandonedTemporaries(std::string_view folder) = 0;
  virtual bool DeleteFileIn(std::string_view folder, std::string_view name) = 0;
  virtual void SyncFolder(std::string_view folder) = 0;

  // Reads the regular file `name` of `folder` (at most `max_bytes`, else
  // ErrorKind::kTooLarge; anything else ErrorKind::kNotAFile, as ReadFileIn)
  // and holds it, with the lease answer. Windows: ErrorKind::kSharingViolation
  // while a writer has it open.
  virtual std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                              std::uint64_t max_bytes) = 0;

  // VolumeOf (volume.h): what `folder` is on.
  virtual Volume VolumeOf(std::string_view folder) = 0;

  // ClaimFolder (folder_claim.h) through `path`.
  virtual std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path) = 0;
};

// The machine's file system.
FileSystem& SystemFileSystem();

// The name `name` would get as the `n`th choice of WriteNewFileIn (n >= 2):
// "7001.spl" -> "7001-2.spl", "LABEL" -> "LABEL-2".
std::string NumberedName(std::string_view name, int n);

}  // namespace cratemark
