// One process per folder: a byte-range lock on a file of the folder's own,
// which the system drops when the process ends, however it ends.
#pragma once

#include <memory>
#include <string_view>

namespace cratemark {

// Held for as long as this process is the one that serves the folder.
class FolderClaim {
 public:
  virtual ~FolderClaim() = default;
};

// Claims the folder through the file `path` (created empty when missing,
// never rewritten, so a claim held on it stays where it is). nullptr when
// another process holds it. Throws Error when the file cannot be opened.
std::unique_ptr<FolderClaim> ClaimFolder(std::string_view path);

}  // namespace cratemark
