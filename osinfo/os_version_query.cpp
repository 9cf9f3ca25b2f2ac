#include "os_version_query.h"

#include "system_function.h"

namespace orvi {
namespace {
const SystemFunction<BOOL(WINAPI*)(LPOSVERSIONINFOA)> getVersionEx{"kernel32.dll", "GetVersionExA"};
}

OSVERSIONINFOA QueryOsVersion() {
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    OSVERSIONINFOA record{};
    record.dwOSVersionInfoSize = sizeof record;
    try {
        getVersionEx(&record);
    } catch (...) {
        // Not even the query exists: carry on with the zeros.
        record = OSVERSIONINFOA{};
        record.dwOSVersionInfoSize = sizeof record;
    }
    return record;
}

}  // namespace orvi
