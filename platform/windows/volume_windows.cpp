#include <windows.h>

#include <string>

#include "platform/volume.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

Volume VolumeOf(std::string_view folder) {
  std::wstring path = ToWide(folder);
  // A UNC path is a file server's share whatever the volume says.
  const bool unc = path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') &&
                   (path[1] == L'\\' || path[1] == L'/');
  wchar_t root[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) {
    return unc ? Volume{VolumeKind::kNetwork, "SMB", false} : Volume{};
  }
  wchar_t type_name[MAX_PATH + 1] = {};
  const bool named = GetVolumeInformationW(root, /*lpVolumeNameBuffer=*/nullptr, 0,
                                           /*lpVolumeSerialNumber=*/nullptr,
                                           /*lpMaximumComponentLength=*/nullptr,
                                           /*lpFileSystemFlags=*/nullptr, type_name, MAX_PATH) != 0;
  Volume volume;
  volume.type = named ? FromWide(type_name) : std::string();
  const UINT drive = GetDriveTypeW(root);
  if (unc || drive == DRIVE_REMOTE) {
    volume.kind = VolumeKind::kNetwork;  // a mapped drive or a share
    if (volume.type.empty()) volume.type = "SMB";
  } else if (drive == DRIVE_FIXED && (volume.type == "NTFS" || volume.type == "ReFS")) {
    volume.kind = VolumeKind::kLocalDisk;
  }
  // Windows sends byte-range locks to the file server; they reach the host.
  volume.local_locks = false;
  return volume;
}

}  // namespace cratemark
