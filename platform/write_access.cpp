#include "platform/write_access.h"

#include <utility>

namespace cratemark {
namespace {

constexpr std::uint32_t kGroupWrite = 0020;
constexpr std::uint32_t kOthersWrite = 0002;
constexpr std::uint32_t kSticky = 01000;

// Windows access rights (winnt.h), spelled here so that the judgement needs
// no system header.
constexpr std::uint32_t kFileWriteData = 0x0002;  // also FILE_ADD_FILE on a folder
constexpr std::uint32_t kFileAppendData = 0x0004;
constexpr std::uint32_t kFileWriteEa = 0x0010;
constexpr std::uint32_t kFileDeleteChild = 0x0040;
constexpr std::uint32_t kFileWriteAttributes = 0x0100;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kSynchronize = 0x00100000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kFileAllAccess = 0x001F01FF;
constexpr std::uint32_t kFileGenericWrite = kReadControl | kFileWriteData | kFileAppendData |
                                            kFileWriteEa | kFileWriteAttributes | kSynchronize;
// An entry that only passes on to children does not apply to the object.
constexpr std::uint32_t kInheritOnlyAce = 0x08;

// The rights that let a user put another program in the file's place.
constexpr std::uint32_t kFileChangeRights =
    kFileWriteData | kFileAppendData | kDelete | kWriteDac | kWriteOwner;
constexpr std::uint32_t kFolderChangeRights = kFileDeleteChild | kWriteDac | kWriteOwner;

std::uint32_t SpecificRights(std::uint32_t mask) {
  if (mask & kGenericAll) mask |= kFileAllAccess;
  if (mask & kGenericWrite) mask |= kFileGenericWrite;
  return mask & ~(kGenericAll | kGenericWrite);
}

// The rights the DACL gives a member of `group` (and, through Everyone's
// entries, to every member of any group).
std::uint32_t GrantedTo(const AccessList& dacl, const std::string& group) {
  if (!dacl.present) return kFileAllAccess;
  std::uint32_t granted = 0;
  std::uint32_t denied = 0;
  for (const AccessEntry& entry : dacl.entries) {
    if (entry.flags & kInheritOnlyAce) continue;
    if (entry.sid != group && entry.sid != kSidEveryone) continue;
    const std::uint32_t rights = SpecificRights(entry.mask);
    if (entry.allows) {
      granted |= rights & ~denied;
    } else {
      denied |= rights & ~granted;
    }
  }
  return granted;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

}  // namespace

std::string PosixEverydayWriters(const PosixAccess& access, std::uint32_t service_uid,
                                 bool is_folder) {
  std::vector<std::string> writers;
  // In a sticky folder only a file's owner may rename or delete it.
  const bool bits_count = !is_folder || !(access.mode & kSticky);
  if (bits_count && (access.mode & kGroupWrite)) writers.push_back("its group may write it");
  if (bits_count && (access.mode & kOthersWrite)) writers.push_back("every user may write it");
  if (access.owner != 0 && access.owner != service_uid) {
    writers.push_back("it belongs to user " + std::to_string(access.owner));
  }
  return JoinNames(writers);
}

std::string WindowsEverydayWriters(const AccessList& dacl, bool is_folder) {
  static const std::pair<const char*, const char*> kEverydayGroups[] = {
      {kSidEveryone, "Everyone"},
      {kSidUsers, "Users"},
      {kSidAuthenticatedUsers, "Authenticated Users"},
      {kSidInteractive, "Interactive"},
  };
  const std::uint32_t change_rights = is_folder ? kFolderChangeRights : kFileChangeRights;
  std::vector<std::string> writers;
  for (const auto& [sid, name] : kEverydayGroups) {
    if (GrantedTo(dacl, sid) & change_rights) writers.push_back(name);
  }
  if (writers.empty()) return "";
  return JoinNames(writers) + " may change it";
}

}  // namespace cratemark
