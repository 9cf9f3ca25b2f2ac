#include "registry_key.h"

#include "errors.h"
#include "system_function.h"

namespace orvi {
namespace {
const SystemFunction<decltype(&::RegCloseKey)> regCloseKey{"advapi32.dll", "RegCloseKey"};
}

void RegistryKey::Close() noexcept {
    if (HKEY open = std::exchange(key, nullptr)) Attempt([&] { regCloseKey(open); });
}

}  // namespace orvi
