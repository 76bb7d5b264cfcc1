#include "platform/write_access.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

constexpr std::uint32_t kService = 998;

TEST(PosixEverydayWriters, JudgesModeOwnerAndStickyFolders) {
  struct Case {
    PosixAccess access;
    bool is_folder;
    const char* writers;
  };
  const Case cases[] = {
      {{0755, 0}, false, ""},
      {{0750, kService}, false, ""},  // the service's own copy
      {{0775, 0}, false, "its group may write it"},
      {{0757, 0}, false, "every user may write it"},
      {{0777, 1000},
       false,
       "its group may write it, every user may write it and it belongs to user 1000"},
      {{0700, 1000}, false, "it belongs to user 1000"},
      // A folder others may write lets them put another file in its place...
      {{0775, 0}, true, "its group may write it"},
      // ... unless it is sticky; its owner still may.
      {{01777, 0}, true, ""},
      {{01777, 1000}, true, "it belongs to user 1000"},
      // The sticky bit on a file changes nothing.
      {{01757, 0}, false, "every user may write it"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PosixEverydayWriters(c.access, kService, c.is_folder), c.writers)
        << std::oct << c.access.mode << " owner " << std::dec << c.access.owner;
  }
}

constexpr std::uint32_t kFullControl = 0x001F01FF;
constexpr std::uint32_t kModify = 0x001301BF;
constexpr std::uint32_t kReadExecute = 0x001200A9;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteAttributes = 0x0100;
constexpr std::uint32_t kAddFile = 0x0002;
constexpr std::uint32_t kDeleteChild = 0x0040;
constexpr std::uint32_t kInheritOnly = 0x08;
constexpr const char* kSystem = "S-1-5-18";
constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kSomeUser = "S-1-5-21-1-2-3-1001";

AccessEntry Allow(const char* sid, std::uint32_t mask, std::uint32_t flags = 0) {
  return {true, sid, mask, flags};
}
AccessEntry Deny(const char* sid, std::uint32_t mask) { return {false, sid, mask, 0}; }

TEST(WindowsEverydayWriters, JudgesTheEntriesInOrder) {
  // What the installer sets on each file it installs.
  const std::vector<AccessEntry> installed{Allow(kSystem, kFullControl),
                                           Allow(kAdministrators, kFullControl),
                                           Allow(kSidUsers, kReadExecute)};
  struct Case {
    const char* what;
    std::vector<AccessEntry> entries;
    bool is_folder;
    const char* writers;
  };
  const Case cases[] = {
      {"as installed", installed, false, ""},
      {"inherited from an open host folder",
       {Allow(kSystem, kFullControl), Allow(kSidUsers, kModify),
        Allow(kSidAuthenticatedUsers, kModify)},
       false,
       "Users and Authenticated Users may change it"},
      {"Everyone, generic write",
       {Allow(kSidEveryone, kGenericWrite)},
       false,
       "Everyone, Users, Authenticated Users and Interactive may change it"},
      {"Interactive may re-permission",
       {Allow(kSidInteractive, kWriteDac)},
       false,
       "Interactive may change it"},
      {"Users may delete",
       {Allow(kSidUsers, kDelete | kReadExecute)},
       false,
       "Users may change it"},
      {"attributes alone replace nothing", {Allow(kSidUsers, kWriteAttributes)}, false, ""},
      {"one person's rights are not everyday users'", {Allow(kSomeUser, kFullControl)}, false, ""},
      {"a deny first wins",
       {Deny(kSidEveryone, kGenericAll), Allow(kSidUsers, kFullControl)},
       false,
       ""},
      {"a deny after the allow comes too late",
       {Allow(kSidUsers, kFullControl), Deny(kSidUsers, kFullControl)},
       false,
       "Users may change it"},
      {"a deny for Users leaves Everyone's rights",
       {Deny(kSidUsers, kFullControl), Allow(kSidEveryone, kModify)},
       false,
       "Everyone, Authenticated Users and Interactive may change it"},
      {"inherit-only entries apply to children",
       {Allow(kSidUsers, kFullControl, kInheritOnly)},
       false,
       ""},
      {"a folder users may add files to", {Allow(kSidUsers, kAddFile | kReadExecute)}, true, ""},
      {"a folder users may delete files of",
       {Allow(kSidUsers, kDeleteChild)},
       true,
       "Users may change it"},
      {"full control of the folder", {Allow(kSidUsers, kFullControl)}, true, "Users may change it"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsEverydayWriters(AccessList{true, c.entries}, c.is_folder), c.writers)
        << c.what;
  }
  EXPECT_EQ(WindowsEverydayWriters(AccessList{false, {}}, false),
            "Everyone, Users, Authenticated Users and Interactive may change it")
      << "a null DACL";
}

}  // namespace
}  // namespace cratemark
