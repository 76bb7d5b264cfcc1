#include "platform/volume.h"

namespace cratemark {

std::string_view KindName(VolumeKind kind) {
  switch (kind) {
    case VolumeKind::kLocalDisk:
      return "a local disk";
    case VolumeKind::kNetwork:
      return "a network file system";
    case VolumeKind::kUserSpace:
      return "a FUSE file system";
    case VolumeKind::kUnknown:
      break;
  }
  return "a file system not known to show writers";
}

}  // namespace cratemark
