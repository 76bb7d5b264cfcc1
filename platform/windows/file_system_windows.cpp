#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"
#include "platform/windows/os_error.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

const char kPathSeparator = '\\';

namespace {

// Owns a file handle.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Owns a directory search.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::string OpenMessage(std::string_view path) {
  return "Cannot open file \"" + std::string(path) + "\".";
}

std::string CreateMessage(std::string_view path) {
  return "Cannot create file \"" + std::string(path) + "\".";
}

DWORD AttributesOf(std::string_view path) { return GetFileAttributesW(ToWide(path).c_str()); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Temporary files are "~cratemark-<pid>-<n>.tmp".
constexpr const wchar_t* kTemporaryPrefix = L"~cratemark-";

// A reparse point (link, junction, mount point) counts as neither.
EntryType TypeOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryType::kOther;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryType::kOther;
  return EntryType::kFile;
}

// FILETIME ticks (100 ns since 1601) as nanoseconds since 1970.
std::int64_t UnixNanoseconds(FILETIME time) {
  constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;
  const auto ticks =
      static_cast<std::int64_t>((std::uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kTicksFrom1601To1970) * 100;
}

std::string InFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !IsSeparator(path.back())) path += '\\';
  return path + std::string(name);
}

// A name that is one entry of its folder, as a listing gives it.
bool IsEntryName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string_view::npos;
}

FileStamp StampFromInformation(const BY_HANDLE_FILE_INFORMATION& info) {
  const std::uint64_t size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  // Index and volume together: the index alone repeats across volumes.
  const std::uint64_t identity = ((std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow) ^
                                 (std::uint64_t(info.dwVolumeSerialNumber) << 48);
  return {true, size, UnixNanoseconds(info.ftLastWriteTime), identity};
}

// Appends to `bytes` what the file holds from its position to its end.
// False as soon as `bytes` holds more than `max_bytes`. Throws Error with
// `message` when a read fails.
bool ReadToEnd(HANDLE file, std::uint64_t max_bytes, const std::string& message,
               std::string& bytes) {
  char buffer[65536];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &count, /*lpOverlapped=*/nullptr)) {
      throw WindowsError(GetLastError(), message);
    }
    if (count == 0) return true;
    bytes.append(buffer, count);
    if (bytes.size() > max_bytes) return false;
  }
}

}  // namespace

std::string ProgramPath() {
  static const std::string path = [] {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length =
          GetModuleFileNameW(/*hModule=*/nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length < buffer.size()) {
        buffer.resize(length);  // 0: the system cannot tell
        return FromWide(buffer);
      }
      buffer.resize(buffer.size() * 2);
    }
  }();
  return path;
}

std::string ResolvePath(std::string_view path) { return std::string(path); }

bool FileExists(std::string_view path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::string_view path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(std::string_view path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

std::vector<DirectoryEntry> ListDirectory(std::string_view directory, std::string_view pattern) {
  std::string search(directory);
  if (!search.empty() && !IsSeparator(search.back())) search += '\\';
  // Every entry is listed and matched here rather than by the system, whose
  // search also matches 8.3 short names ("*.spl" would find "a.splx").
  search += '*';
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW(ToWide(search).c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, /*lpSearchFilter=*/nullptr,
                                   /*dwAdditionalFlags=*/0));
  if (find.get() == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = FromWide(data.cFileName);
    if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
    entries.push_back({name, TypeOf(data.dwFileAttributes)});
  } while (FindNextFileW(find.get(), &data));
  return entries;
}

bool DeleteFileAt(std::string_view path) { return DeleteFileW(ToWide(path).c_str()) != 0; }

void CreateDirectories(std::string_view path) {
  const std::string message = "Cannot create directory \"" + std::string(path) + "\".";
  for (std::size_t end = 1; end <= path.size(); ++end) {
    if (end < path.size() && !IsSeparator(path[end])) continue;
    const std::string prefix(path.substr(0, end));
    if (prefix.size() == 2 && prefix[1] == ':') continue;  // a drive, "C:"
    if (DirectoryExists(prefix)) continue;
    if (!CreateDirectoryW(ToWide(prefix).c_str(), /*lpSecurityAttributes=*/nullptr)) {
      const DWORD code = GetLastError();
      if (code != ERROR_ALREADY_EXISTS) throw WindowsError(code, message);
    }
  }
  if (!DirectoryExists(path)) throw WindowsError(ERROR_PATH_NOT_FOUND, message);
}

std::string ReadWholeFile(std::string_view path) { return ReadFileFrom(path, 0); }

namespace {

std::string ReadWithSharing(std::string_view path, std::uint64_t offset, FileStamp* stamp,
                            DWORD share_mode) {
  FileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, share_mode,
                              /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
  if (!file.valid()) throw WindowsError(GetLastError(), OpenMessage(path));
  LARGE_INTEGER start;
  start.QuadPart = static_cast<LONGLONG>(offset);
  if (offset != 0 &&
      !SetFilePointerEx(file.get(), start, /*lpNewFilePointer=*/nullptr, FILE_BEGIN)) {
    throw WindowsError(GetLastError(), OpenMessage(path));
  }
  std::string bytes;
  ReadToEnd(file.get(), UINT64_MAX, OpenMessage(path), bytes);
  if (stamp) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) {
      throw WindowsError(GetLastError(), OpenMessage(path));
    }
    *stamp = StampFromInformation(info);
  }
  return bytes;
}

}  // namespace

std::string ReadFileFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp) {
  // Readers may share the file; a writer may not open it while it is read.
  return ReadWithSharing(path, offset, stamp, FILE_SHARE_READ);
}

std::string ReadSharedFrom(std::string_view path, std::uint64_t offset, FileStamp* stamp) {
  return ReadWithSharing(path, offset, stamp,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

namespace {

// Writes all of `bytes` at the file's position, in pieces WriteFile takes;
// the system's error code, or 0 when everything was written.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1 << 20));
    DWORD count = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &count, /*lpOverlapped=*/nullptr)) {
      return GetLastError();
    }
    written += count;
  }
  return 0;
}

}  // namespace

namespace {

// Writes `bytes` into a new temporary file beside `target` and flushes them;
// returns its name. `shown` names the target in errors.
std::wstring WriteTemporary(const std::wstring& target, std::string_view bytes,
                            std::string_view shown) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  // Same folder, so the final move is a rename; ends in ".tmp", never ".spl";
  // of fixed length, so a name near the system's limit still fits.
  std::wstring temp;
  HANDLE raw = INVALID_HANDLE_VALUE;
  DWORD code = 0;
  for (int attempt = 0; raw == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temp = folder + kTemporaryPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L".tmp";
    // No sharing: held exclusively while it is written.
    raw = CreateFileW(temp.c_str(), GENERIC_WRITE, /*dwShareMode=*/0,
                      /*lpSecurityAttributes=*/nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                      /*hTemplateFile=*/nullptr);
    code = GetLastError();
    if (raw == INVALID_HANDLE_VALUE && code != ERROR_FILE_EXISTS) break;
  }
  if (raw == INVALID_HANDLE_VALUE) throw WindowsError(code, CreateMessage(shown));
  FileHandle file(raw);
  const auto fail = [&](DWORD error_code) {
    if (file.valid()) file.Close();
    DeleteFileW(temp.c_str());
    return WindowsError(error_code, CreateMessage(shown));
  };
  if (const DWORD error_code = WriteAll(file.get(), bytes)) throw fail(error_code);
  if (!FlushFileBuffers(file.get()) || !file.Close()) throw fail(GetLastError());
  return temp;
}

}  // namespace

void WriteWholeFile(std::string_view path, std::string_view bytes) {
  const std::wstring target = ToWide(path);
  const std::wstring temp = WriteTemporary(target, bytes, path);
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    DeleteFileW(temp.c_str());
    throw WindowsError(code, CreateMessage(path));
  }
}

void AppendToFile(std::string_view path, std::string_view bytes) {
  // No other writer; readers that share writing and deleting (the console
  // following the log) neither fail this append nor are failed by it.
  FileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE,
                              /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
  if (!file.valid()) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return WriteWholeFile(path, bytes);
    throw WindowsError(code, CreateMessage(path));
  }
  LARGE_INTEGER start;
  if (!GetFileSizeEx(file.get(), &start) ||
      !SetFilePointerEx(file.get(), start, /*lpNewFilePointer=*/nullptr, FILE_BEGIN)) {
    throw WindowsError(GetLastError(), CreateMessage(path));
  }
  const auto fail = [&](DWORD error_code) {
    // Back to the last whole append: a reader never keeps a torn line.
    if (SetFilePointerEx(file.get(), start, /*lpNewFilePointer=*/nullptr, FILE_BEGIN) &&
        SetEndOfFile(file.get())) {
      FlushFileBuffers(file.get());
    }
    return WindowsError(error_code, CreateMessage(path));
  };
  if (const DWORD error_code = WriteAll(file.get(), bytes)) throw fail(error_code);
  if (!FlushFileBuffers(file.get())) throw fail(GetLastError());
  if (!file.Close()) throw WindowsError(GetLastError(), CreateMessage(path));
}

void LinkFile(std::string_view existing, std::string_view link) {
  if (!CreateHardLinkW(ToWide(link).c_str(), ToWide(existing).c_str(),
                       /*lpSecurityAttributes=*/nullptr)) {
    throw WindowsError(GetLastError(), CreateMessage(link));
  }
}

void RenameFile(std::string_view from, std::string_view to) {
  if (!MoveFileExW(ToWide(from).c_str(), ToWide(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    throw WindowsError(GetLastError(), "Cannot rename file \"" + std::string(from) + "\" to \"" +
                                           std::string(to) + "\".");
  }
}

FileStamp StampOf(std::string_view path) {
  // Attributes only: such a handle passes every share mode, so looking never
  // stands in the way of the program that writes the file.
  FileHandle file(CreateFileW(ToWide(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, /*hTemplateFile=*/nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return {};
  return StampFromInformation(info);
}

namespace {

// Volume serial and file index of a folder; false when it cannot be opened.
bool FolderIdentity(std::string_view path, BY_HANDLE_FILE_INFORMATION* info) {
  // Backup semantics: the only way CreateFile opens a folder. No access
  // asked beyond attributes, and every sharing allowed.
  FileHandle folder(CreateFileW(ToWide(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, /*hTemplateFile=*/nullptr));
  return folder.valid() && GetFileInformationByHandle(folder.get(), info) &&
         (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool SameFolder(std::string_view a, std::string_view b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return FolderIdentity(a, &first) && FolderIdentity(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

FileStamp StampOfFileIn(std::string_view folder, std::string_view name) {
  if (!IsEntryName(name)) return {};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(ToWide(InFolder(folder, name)).c_str(), GetFileExInfoStandard, &data) ||
      TypeOf(data.dwFileAttributes) != EntryType::kFile) {
    return {};
  }
  const std::uint64_t size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return {true, size, UnixNanoseconds(data.ftLastWriteTime)};
}

namespace {

// ReadFileIn, and the stamp of the file read (taken while writers were kept out).
std::string ReadEntry(std::string_view folder, std::string_view name, std::uint64_t max_bytes,
                      FileStamp* stamp) {
  const std::string path = InFolder(folder, name);
  if (!IsEntryName(name)) throw WindowsError(ERROR_INVALID_NAME, OpenMessage(path));
  const auto not_a_file = [&] {
    return Error(ErrorKind::kNotAFile, OpenMessage(path) + " It is not a regular file.");
  };
  // A folder cannot be opened as a file at all; say what it is.
  const DWORD attributes = AttributesOf(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && TypeOf(attributes) != EntryType::kFile) {
    throw not_a_file();
  }
  // A reparse point is opened as itself, never followed. Readers may share
  // the file; a writer may not open it while it is read.
  FileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, /*hTemplateFile=*/nullptr));
  if (!file.valid()) throw WindowsError(GetLastError(), OpenMessage(path));
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info)) {
    throw WindowsError(GetLastError(), OpenMessage(path));
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK ||
      TypeOf(info.dwFileAttributes) != EntryType::kFile) {
    throw Error(ErrorKind::kNotAFile, OpenMessage(path) + " It is not a regular file.");
  }
  const auto too_large = [&] {
    return Error(ErrorKind::kTooLarge,
                 OpenMessage(path) + " It is larger than " + std::to_string(max_bytes) + " bytes.");
  };
  if (((std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow) > max_bytes) {
    throw too_large();
  }
  std::string bytes;
  // It may have grown since it was looked at.
  if (!ReadToEnd(file.get(), max_bytes, OpenMessage(path), bytes)) throw too_large();
  if (stamp) *stamp = StampFromInformation(info);
  return bytes;
}

}  // namespace

std::string ReadFileIn(std::string_view folder, std::string_view name, std::uint64_t max_bytes) {
  return ReadEntry(folder, name, max_bytes, /*stamp=*/nullptr);
}

void WriteWholeFileIn(std::string_view folder, std::string_view name, std::string_view bytes) {
  const std::string path = InFolder(folder, name);
  if (!IsEntryName(name)) throw WindowsError(ERROR_INVALID_NAME, CreateMessage(path));
  WriteWholeFile(path, bytes);
}

int RemoveAbandonedTemporaries(std::string_view folder) {
  const std::wstring prefix = kTemporaryPrefix;
  std::wstring base = ToWide(folder);
  if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW((base + prefix + L"*.tmp").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, /*lpSearchFilter=*/nullptr,
                                   /*dwAdditionalFlags=*/0));
  if (find.get() == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    const std::wstring name = data.cFileName;
    if (name.rfind(prefix, 0) != 0) continue;  // matched by its short name only
    const std::size_t dash = name.find(L'-', prefix.size());
    if (dash == std::wstring::npos || dash == prefix.size() || dash - prefix.size() > 10) continue;
    DWORD pid = 0;
    bool digits = true;
    for (std::size_t i = prefix.size(); i < dash; ++i) {
      if (name[i] < L'0' || name[i] > L'9') digits = false;
      pid = pid * 10 + static_cast<DWORD>(name[i] - L'0');
    }
    if (!digits || pid == GetCurrentProcessId()) continue;
    // Only a process that is gone: a live one may be writing it right now.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, /*bInheritHandle=*/FALSE, pid);
    if (process != nullptr) {
      DWORD code = 0;
      const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
      CloseHandle(process);
      if (running) continue;
    } else if (GetLastError() != ERROR_INVALID_PARAMETER) {
      continue;  // there, but not ours to look at
    }
    if (DeleteFileW((base + name).c_str())) ++removed;
  } while (FindNextFileW(find.get(), &data));
  return removed;
}

bool DeleteFileIn(std::string_view folder, std::string_view name) {
  if (!IsEntryName(name)) return false;
  const std::string path = InFolder(folder, name);
  const DWORD attributes = AttributesOf(path);
  // A link is removed as itself; DeleteFile never follows it.
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  return DeleteFileW(ToWide(path).c_str()) != 0;
}

std::string WriteNewFileIn(std::string_view folder, std::string_view name, std::string_view bytes) {
  const std::string shown = InFolder(folder, name);
  if (!IsEntryName(name)) throw WindowsError(ERROR_INVALID_NAME, CreateMessage(shown));
  const std::wstring temp = WriteTemporary(ToWide(shown), bytes, shown);
  for (int n = 1; n <= 1000; ++n) {
    const std::string candidate = n == 1 ? std::string(name) : NumberedName(name, n);
    // Without MOVEFILE_REPLACE_EXISTING: a taken name is refused, never replaced.
    if (MoveFileExW(temp.c_str(), ToWide(InFolder(folder, candidate)).c_str(),
                    MOVEFILE_WRITE_THROUGH)) {
      return candidate;
    }
    const DWORD code = GetLastError();
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
      DeleteFileW(temp.c_str());
      throw WindowsError(code, CreateMessage(shown));
    }
  }
  DeleteFileW(temp.c_str());
  throw WindowsError(ERROR_FILE_EXISTS, CreateMessage(shown));
}

void SyncFolder(std::string_view) {
  // NTFS journals names itself, and MOVEFILE_WRITE_THROUGH returns only once
  // the move is on disk; Win32 has no folder sync to ask for.
}

namespace {

// A job read with writers kept out; its delete keeps them out as well.
class WindowsTakenJob final : public TakenJob {
 public:
  WindowsTakenJob(std::string path, std::string bytes, FileStamp stamp) : path_(std::move(path)) {
    bytes_ = std::move(bytes);
    stamp_ = stamp;
  }
  LeaseAnswer lease() const override { return LeaseAnswer::kShareMode; }
  JobDeletion DeleteIfUnchanged() override {
    // Opened for delete sharing reading only: refused while a writer has it,
    // and no writer can open it until the handle is closed, the file gone.
    FileHandle file(CreateFileW(ToWide(path_).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ, /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, /*hTemplateFile=*/nullptr));
    if (!file.valid()) {
      const DWORD code = GetLastError();
      return code == ERROR_ACCESS_DENIED ? JobDeletion::kFailed : JobDeletion::kChanged;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info) || !(StampFromInformation(info) == stamp_)) {
      return JobDeletion::kChanged;
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
      return JobDeletion::kFailed;
    }
    return file.Close() ? JobDeletion::kDeleted : JobDeletion::kFailed;
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<TakenJob> TakeJobIn(std::string_view folder, std::string_view name,
                                    std::uint64_t max_bytes) {
  FileStamp stamp;
  std::string bytes = ReadEntry(folder, name, max_bytes, &stamp);
  return std::make_unique<WindowsTakenJob>(InFolder(folder, name), std::move(bytes), stamp);
}

}  // namespace cratemark
