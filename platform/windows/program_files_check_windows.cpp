// The DACLs of the program files, read with GetNamedSecurityInfoW and judged
// by the portable rules of write_access.h.
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include "platform/file_system.h"
#include "platform/program_files_check.h"
#include "platform/windows/wide_string.h"
#include "platform/write_access.h"

namespace cratemark {
namespace {

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return "";
  std::string result = FromWide(text);
  LocalFree(text);
  return result;
}

// The object's DACL as entries; false when it cannot be read.
bool ReadAccessList(const std::string& path, AccessList* list) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring wide = ToWide(path);
  if (GetNamedSecurityInfoW(wide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            /*ppsidOwner=*/nullptr, /*ppsidGroup=*/nullptr, &dacl,
                            /*ppSacl=*/nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  list->present = dacl != nullptr;
  ACL_SIZE_INFORMATION size{};
  if (dacl != nullptr && GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) {
    for (DWORD i = 0; i < size.AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(dacl, i, &ace)) continue;
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      // The allowed and denied entries share one layout. Object and callback
      // entries do not occur on files.
      if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
        continue;
      }
      auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      list->entries.push_back({header->AceType == ACCESS_ALLOWED_ACE_TYPE,
                               SidText(&entry->SidStart), entry->Mask, header->AceFlags});
    }
  }
  LocalFree(descriptor);
  return true;
}

}  // namespace

std::vector<std::string> CheckProgramFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> warnings;
  for (const std::string& path : paths) {
    AccessList file;
    AccessList folder;
    std::string writers;
    if (ReadAccessList(path, &file)) writers = WindowsEverydayWriters(file, /*is_folder=*/false);
    const std::string folder_path = FolderOf(path);
    std::string folder_writers;
    if (ReadAccessList(folder_path, &folder)) {
      folder_writers = WindowsEverydayWriters(folder, /*is_folder=*/true);
    }
    if (!folder_writers.empty()) {
      if (!writers.empty()) writers += "; ";
      writers += "its folder " + folder_path + ": " + folder_writers;
    }
    if (writers.empty()) continue;
    std::string warning = "Everyday users can replace \"" + path + "\", which the service runs (" +
                          writers +
                          "). Run Cratemark's installer again, which lets only SYSTEM and "
                          "Administrators change it, or: icacls \"" +
                          path +
                          "\" /inheritance:r /grant:r *S-1-5-18:F *S-1-5-32-544:F "
                          "*S-1-5-32-545:RX";
    if (!folder_writers.empty()) {
      warning +=
          ". On the folder, give everyday users no more than Modify: full control lets them "
          "delete any file in it";
    }
    warnings.push_back(warning + ".");
  }
  return warnings;
}

}  // namespace cratemark
