// File system seam. Paths are UTF-8 text formed by plain concatenation, as the
// system does everywhere (ProgramDir() + "Label1" + "\\" + "TestLabel.spl").
// On POSIX "\\" separates like "/", repeated separators count as one, and each
// component is matched without regard to case against what exists on disk
// (an exact match first); a component that does not exist keeps its spelling.
// All functions are thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cratemark {

// The separator the system inserts between a directory and a name it adds
// ("/" on POSIX, "\\" on Windows).
extern const char kPathSeparator;

// Full path of the running executable; empty when the system cannot tell.
std::string ProgramPath();

// Directory of the running executable, with a trailing separator.
std::string ProgramDir();

// File name of the running executable, without its directory; empty when
// the system cannot tell.
std::string ProgramFileName();

// The native path that names `path` on this machine (see above). Windows
// returns the path unchanged.
std::string ResolvePath(std::string_view path);

bool FileExists(std::string_view path);       // a file (not a directory) exists
bool DirectoryExists(std::string_view path);  // a directory exists
bool PathExists(std::string_view path);       // file or directory

struct DirectoryEntry {
  std::string name;  // without directory
  bool is_directory = false;
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

// Puts the file `from` in place of `to` in one step, replacing `to`. Throws
// Error with "Cannot rename file \"<from>\" to \"<to>\". <reason>".
void RenameFile(std::string_view from, std::string_view to);

// Size, modification time and the file's identity on its volume, to tell
// whether a file is still being written, or was changed or replaced since it
// was last looked at. A file put in place by a rename has a new identity.
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::uint64_t identity = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(std::string_view path);

}  // namespace cratemark
