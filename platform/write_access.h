// Who besides the system and the service may change a program file: the
// judgement behind the service's start-up check. A pure function of what the
// file system reports (a POSIX mode and owner, or a Windows DACL as SIDs and
// masks), so that both platforms' rules are tested on any machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cratemark {

// A file or folder as stat(2) reports it.
struct PosixAccess {
  std::uint32_t mode = 0;   // permission bits, with the sticky bit 01000
  std::uint32_t owner = 0;  // user ID
};

// Who else may replace a program file on POSIX: "" when only root and
// `service_uid` may. A file is changed through its own write bits; the folder
// that holds it lets whoever may write the folder rename or delete the file
// and put another in its place, unless the folder is sticky (then only the
// file's owner may). Either way its owner may give itself the rights.
// E.g. "its group may write it", "it belongs to user 1000".
std::string PosixEverydayWriters(const PosixAccess& access, std::uint32_t service_uid,
                                 bool is_folder);

// One access control entry, its SID as text ("S-1-5-32-545").
struct AccessEntry {
  bool allows = true;  // false: an access-denied entry
  std::string sid;
  std::uint32_t mask = 0;   // access rights, generic ones included
  std::uint32_t flags = 0;  // ACE flags (inheritance)
};

// A DACL. `present` false is a null DACL: everyone may do anything.
struct AccessList {
  bool present = true;
  std::vector<AccessEntry> entries;
};

// The groups every logged-on person belongs to, as "S-1-..." text.
inline constexpr const char* kSidEveryone = "S-1-1-0";
inline constexpr const char* kSidUsers = "S-1-5-32-545";
inline constexpr const char* kSidAuthenticatedUsers = "S-1-5-11";
inline constexpr const char* kSidInteractive = "S-1-5-4";

// Who among everyday users may replace a program file on Windows: "" when
// none. For a file: write its data, delete it, or change its permissions or
// owner; for the folder that holds it: delete its files (FILE_DELETE_CHILD)
// or change the folder's permissions or owner. Entries are read in order as
// Windows reads them: a right denied before it is allowed stays denied.
// E.g. "Users and Everyone may change it".
std::string WindowsEverydayWriters(const AccessList& dacl, bool is_folder);

}  // namespace cratemark
