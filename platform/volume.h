// What kind of file system a folder is on. The job rule and the spooler
// checks depend on it: on a local disk the kernel knows every program that
// has a file open and every lock, while on a share the writers, the locks
// and the clock that stamps file times belong to another machine.
#pragma once

#include <string>
#include <string_view>

namespace cratemark {

enum class VolumeKind {
  // A local disk file system whose leases or share modes see every writer:
  // ext2/3/4, xfs, btrfs, f2fs, tmpfs; NTFS and ReFS on a fixed disk.
  kLocalDisk,
  // A kernel client of a file server (SMB, NFS, Ceph, 9p, ...), a UNC path
  // or a mapped drive: locks reach the server, leases only while it grants
  // them an oplock or delegation.
  kNetwork,
  // A file system in user space (FUSE: sshfs, smbnetfs, rclone, bindfs):
  // leases are granted blind and locks stay on this machine.
  kUserSpace,
  // Anything else (overlay, vfat, ...), or the system could not tell.
  kUnknown,
};

struct Volume {
  VolumeKind kind = VolumeKind::kUnknown;
  // The file system as the system names it ("ext4", "cifs", "nfs4",
  // "fuse.sshfs", "NTFS"); empty when unknown.
  std::string type;
  // Locks taken here stay on this machine and never reach the host: FUSE,
  // a SMB mount with "nobrl", an NFS mount with local locks.
  bool local_locks = false;
  bool operator==(const Volume&) const = default;
};

// The volume `folder` is on. Never throws: a folder that cannot be looked
// at gives kUnknown. Thread-safe.
Volume VolumeOf(std::string_view folder);

// How the log names a kind: "a local disk", "a network file system", ...
std::string_view KindName(VolumeKind kind);

}  // namespace cratemark
