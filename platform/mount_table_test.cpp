#include "platform/mount_table.h"

#include <gtest/gtest.h>

namespace cratemark {
namespace {

TEST(MountTable, FindsTheLastMountOfADevice) {
  const std::string table =
      "22 1 252:1 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
      "45 27 0:40 / /mnt/pos rw,nosuid - fuse /tmp/src rw,user_id=0\n"
      "46 22 0:41 / /srv/tolvan rw,relatime shared:7 master:2 - cifs //pc/pos "
      "rw,vers=3.1.1,cache=strict,nobrl,uid=0\n"
      "47 22 0:42 / /srv/nfs rw - nfs4 pc:/pos rw,vers=4.2,local_lock=none\n"
      "broken line\n"
      "48 22 0:43 / /x rw - \n"
      "49 22 0:40 / /mnt/pos2 rw - fuse.sshfs pc:/pos rw\n";
  struct Case {
    unsigned major, minor;
    const char* type;  // nullptr: none
    const char* options;
  };
  const Case cases[] = {
      {252, 1, "ext4", "rw"},
      {0, 40, "fuse.sshfs", "rw"},  // the later mount covers the earlier
      {0, 41, "cifs", "rw,vers=3.1.1,cache=strict,nobrl,uid=0"},
      {0, 42, "nfs4", "rw,vers=4.2,local_lock=none"},
      {0, 43, nullptr, nullptr},  // no type after the separator
      {9, 9, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const auto found = FindMount(table, c.major, c.minor);
    if (!c.type) {
      EXPECT_FALSE(found) << c.major << ":" << c.minor;
      continue;
    }
    ASSERT_TRUE(found) << c.major << ":" << c.minor;
    EXPECT_EQ(found->type, c.type);
    EXPECT_EQ(found->super_options, c.options);
  }
}

TEST(MountTable, FindsOptionsExactly) {
  std::string value;
  EXPECT_TRUE(HasMountOption("rw,nobrl,uid=0", "nobrl"));
  EXPECT_FALSE(HasMountOption("rw,nobrlx", "nobrl"));
  EXPECT_TRUE(HasMountOption("rw,local_lock=all", "local_lock=", &value));
  EXPECT_EQ(value, "all");
  EXPECT_FALSE(HasMountOption("rw,local_lock=", "local_lock="));
  EXPECT_FALSE(HasMountOption("", "nobrl"));
}

}  // namespace
}  // namespace cratemark
