#include <windows.h>

#include "platform/single_instance.h"
#include "platform/windows/wide_string.h"

namespace cratemark {

namespace {

class MutexClaim : public InstanceClaim {
 public:
  explicit MutexClaim(HANDLE mutex) : mutex_(mutex) {}
  ~MutexClaim() override { CloseHandle(mutex_); }

 private:
  HANDLE mutex_;
};

}  // namespace

std::unique_ptr<InstanceClaim> ClaimSingleInstance(std::string_view name) {
  // No "Global\\" prefix: the name is local to the user's logon session.
  HANDLE mutex =
      CreateMutexW(/*lpMutexAttributes=*/nullptr, /*bInitialOwner=*/TRUE, ToWide(name).c_str());
  if (mutex == nullptr) return nullptr;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return nullptr;
  }
  return std::make_unique<MutexClaim>(mutex);
}

}  // namespace cratemark
