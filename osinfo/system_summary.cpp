// clsKvOrviInformationB: a one-shot summary of the machine, taken at
// creation, and the colour depth of a window's display on request.
#include <shlwapi.h>

#include "com_object.h"
#include "conversions.h"
#include "handles.h"
#include "late_bound.h"
#include "orvilib10_h.h"
#include "os_version_query.h"
#include "pure/system_summary.h"
#include "system_function.h"

using namespace orvi;

namespace {
const SystemFunction<decltype(&GetSystemInfo)> getSystemInfo{"kernel32.dll", "GetSystemInfo"};
const SystemFunction<decltype(&GlobalMemoryStatus)> globalMemoryStatus{"kernel32.dll", "GlobalMemoryStatus"};
const SystemFunction<DLLGETVERSIONPROC> shellDllGetVersion{"Shlwapi.dll", "DllGetVersion"};
const SystemFunction<decltype(&GetDeviceCaps)> getDeviceCaps{"gdi32.dll", "GetDeviceCaps"};
}  // namespace

class clsKvOrviInformationB final : public ComObject<clsKvOrviInformationB, _clsKvOrviInformationB> {
public:
    // No trap: a missing shell library ends the creation.
    void StartUp() {
        const OSVERSIONINFOA version = QueryOsVersion();
        const short major = ToInteger(static_cast<std::int32_t>(version.dwMajorVersion));
        const short minor = ToInteger(static_cast<std::int32_t>(version.dwMinorVersion));
        windowsName = Bstr(summary::WindowsName(major, minor));
        versionText = Bstr(summary::VersionText(major, minor, static_cast<std::int32_t>(version.dwBuildNumber)));

        SYSTEM_INFO system{};
        getSystemInfo(&system);
        processorName = Bstr(summary::ProcessorName(system.dwProcessorType));

        // The figures are unsigned: read as such they stay right up to 4 GB.
        MEMORYSTATUS memory{};
        globalMemoryStatus(&memory);
        memoryTotal = ToLong(summary::Kilobytes(memory.dwTotalPhys));
        memoryFree = ToLong(summary::Kilobytes(memory.dwAvailPhys));
        virtualMemoryTotal = ToLong(summary::Kilobytes(memory.dwTotalVirtual));
        virtualMemoryFree = summary::Kilobytes(memory.dwAvailVirtual);

        DLLVERSIONINFO browser{};
        browser.cbSize = sizeof browser;
        shellDllGetVersion(&browser);
        browserText = Bstr(summary::BrowserText(static_cast<std::int32_t>(browser.dwMajorVersion),
                                                static_cast<std::int32_t>(browser.dwMinorVersion),
                                                static_cast<std::int32_t>(browser.dwBuildNumber)));
    }

    STDMETHODIMP get_VirtualMemoryFree(long* result) override {
        return Produce(result, [&] { return ToLong(virtualMemoryFree); });
    }
    STDMETHODIMP get_VirtualMemoryTotal(long* result) override { return Get(result, virtualMemoryTotal); }
    STDMETHODIMP get_MemoryFree(long* result) override { return Get(result, memoryFree); }
    STDMETHODIMP get_MemoryTotal(long* result) override { return Get(result, memoryTotal); }
    STDMETHODIMP get_WinVersion(BSTR* result) override { return Get(result, versionText); }
    STDMETHODIMP get_WinName(BSTR* result) override { return Get(result, windowsName); }
    STDMETHODIMP get_CPUVersion(BSTR* result) override { return Get(result, processorName); }
    STDMETHODIMP get_IEVersion(BSTR* result) override { return Get(result, browserText); }

    STDMETHODIMP GetDisplayBitsPerPixel(IDispatch** frmForm, long* result) override {
        return Produce(result, [&] {
            if (!frmForm || !*frmForm) Raise(errObjectNotSet);
            const HDC context = HandleFrom<HDC>(HandleValueOf(CallByName(*frmForm, L"HDC", DISPATCH_PROPERTYGET), errTypeMismatch));
            return static_cast<long>(getDeviceCaps(context, BITSPIXEL));
        });
    }

private:
    Bstr versionText, windowsName, processorName, browserText;
    long memoryTotal = 0, memoryFree = 0, virtualMemoryTotal = 0;
    double virtualMemoryFree = 0;
};

static const ClassRegistration<clsKvOrviInformationB> registration;
