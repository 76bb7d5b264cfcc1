// One running instance of a program per logged-on user.
#pragma once

#include <memory>
#include <string_view>

namespace cratemark {

// Held for as long as this process is the one instance.
class InstanceClaim {
 public:
  virtual ~InstanceClaim() = default;
};

// Claims `name` for this process (Windows: a named mutex local to the user's
// logon; POSIX: a lock file of the user's). nullptr when another process of
// the same user holds it, or when the claim cannot be made.
std::unique_ptr<InstanceClaim> ClaimSingleInstance(std::string_view name);

}  // namespace cratemark
