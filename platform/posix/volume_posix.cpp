#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <cstdint>

#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/mount_table.h"
#include "platform/volume.h"

namespace cratemark {
namespace {

struct KnownType {
  std::uint32_t magic;  // statfs's f_type
  const char* name;
  VolumeKind kind;
};

// The kernel's magic numbers (linux/magic.h and the file systems' own).
// The local ones are those whose leases the kernel breaks for every writer.
constexpr KnownType kKnownTypes[] = {
    {0xEF53, "ext4", VolumeKind::kLocalDisk},  // ext2, ext3 and ext4 share it
    {0x58465342, "xfs", VolumeKind::kLocalDisk},  {0x9123683E, "btrfs", VolumeKind::kLocalDisk},
    {0xF2F52010, "f2fs", VolumeKind::kLocalDisk}, {0x01021994, "tmpfs", VolumeKind::kLocalDisk},
    {0xFF534D42, "cifs", VolumeKind::kNetwork},   {0xFE534D42, "smb3", VolumeKind::kNetwork},
    {0x517B, "smbfs", VolumeKind::kNetwork},      {0x6969, "nfs", VolumeKind::kNetwork},
    {0x00C36400, "ceph", VolumeKind::kNetwork},   {0x01021997, "9p", VolumeKind::kNetwork},
    {0x6B414653, "afs", VolumeKind::kNetwork},    {0x5346414F, "afs", VolumeKind::kNetwork},
    {0x47504653, "gpfs", VolumeKind::kNetwork},   {0x0BD00BD0, "lustre", VolumeKind::kNetwork},
    {0x65735546, "fuse", VolumeKind::kUserSpace}, {0x794C7630, "overlay", VolumeKind::kUnknown},
    {0x4D44, "vfat", VolumeKind::kUnknown},       {0x2011BAB0, "exfat", VolumeKind::kUnknown},
};

// Empty where it cannot be read: the file system's magic number still tells.
std::string ReadMountInfo() {
  try {
    return ReadWholeFile("/proc/self/mountinfo");
  } catch (const Error&) {
    return {};
  }
}

// Where a mount keeps its locks on this machine only: SMB without byte-range
// locks sent to the server, NFS with local locks.
bool LocksStayLocal(VolumeKind kind, const std::string& type, const std::string& options) {
  if (kind == VolumeKind::kUserSpace) return true;
  if (type == "cifs" || type == "smb3") return HasMountOption(options, "nobrl");
  if (type.starts_with("nfs")) {
    std::string local_lock;
    return HasMountOption(options, "local_lock=", &local_lock) &&
           (local_lock == "all" || local_lock == "posix");
  }
  return false;
}

}  // namespace

Volume VolumeOf(std::string_view folder) {
  std::string native = ResolvePath(folder);
  if (native.empty()) native.push_back('.');
  struct statfs fs_info;
  struct stat info;
  if (statfs(native.c_str(), &fs_info) != 0 || stat(native.c_str(), &info) != 0) return {};
  Volume volume;
  const auto magic = static_cast<std::uint32_t>(fs_info.f_type);
  for (const KnownType& known : kKnownTypes) {
    if (known.magic == magic) {
      volume.kind = known.kind;
      volume.type = known.name;
      break;
    }
  }
  if (volume.type.empty()) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", magic);
    volume.type = hex;
  }
  // The mount table names it more exactly ("nfs4", "fuse.sshfs", "ext3")
  // and gives its options. The magic number decides the kind: the table
  // only refines a name of the same family.
  const auto mount = FindMount(ReadMountInfo(), major(info.st_dev), minor(info.st_dev));
  std::string options;
  if (mount && (mount->type.starts_with(volume.type) ||
                (volume.type == "ext4" && mount->type.starts_with("ext")) ||
                (volume.type == "smb3" && mount->type == "cifs"))) {
    volume.type = mount->type;
    options = mount->super_options;
  }
  volume.local_locks = LocksStayLocal(volume.kind, volume.type, options);
  return volume;
}

}  // namespace cratemark
