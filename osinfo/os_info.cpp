// clsKvOrviOSInfoA: which Windows release this is, classified once at creation.
#include <array>

#include "ansi.h"
#include "com_object.h"
#include "orvilib10_h.h"
#include "os_version_query.h"
#include "pure/numeric.h"
#include "system_function.h"

using namespace orvi;

namespace {

const SystemFunction<BOOL(WINAPI*)(LPOSVERSIONINFOA)> getVersionEx{"kernel32.dll", "GetVersionExA"};

constexpr std::array<const wchar_t*, 12> kDisplayNames = {
    L"Win32s",         L"Windows '95",        L"Windows '95 OSR 2", L"Windows '98",
    L"Windows '98 Release 2", L"Windows Millennium", L"Windows NT 3.0",  L"Windows NT 3.1",
    L"Windows NT 3.5", L"Windows NT 4.0",     L"Windows 2000",      L"[Unknown]"};

OSVERSIONINFOEXA QueryExtendedVersion() {
    static_assert(sizeof(OSVERSIONINFOEXA) == 156);
    OSVERSIONINFOEXA record{};
    record.dwOSVersionInfoSize = sizeof record;
    Attempt([&] { getVersionEx(reinterpret_cast<LPOSVERSIONINFOA>(&record)); });
    return record;
}

OSType ClassifyWindows95Family(long major, long minor, long build) {
    if (major == 4 && minor == 0) return build == 950 ? Win95 : Win95OSR2;
    if (major == 4 && minor == 10) return build == 1998 ? Win98 : Win98R2;
    if (major >= 4 && minor > 10) return WinMillennium;
    return Win32s;
}

// NT 3.x reports 3.10, 3.50 and 3.51 as well as the plain 3.0 and 3.1.
OSType ClassifyEarlyNT(long major, long minor) {
    if (major == 4) return WinNT4;
    if (major != 3) return Win32s;
    switch (minor) {
    case 0: return WinNT3;
    case 1: case 10: return WinNT31;
    case 5: case 50: case 51: return WinNT35;
    default: return Win32s;
    }
}

}  // namespace

class clsKvOrviOSInfoA final : public ComObject<clsKvOrviOSInfoA, _clsKvOrviOSInfoA> {
public:
    void StartUp() {
        const OSVERSIONINFOA record = QueryOsVersion();
        if (record.dwPlatformId == VER_PLATFORM_WIN32_NT && record.dwMajorVersion > 4) {
            const OSVERSIONINFOEXA extended = QueryExtendedVersion();
            majorVersion = static_cast<long>(extended.dwMajorVersion);
            minorVersion = static_cast<long>(extended.dwMinorVersion);
            buildNumber = static_cast<long>(extended.dwBuildNumber);
            servicePackMajor = static_cast<short>(extended.wServicePackMajor);
            servicePackMinor = static_cast<short>(extended.wServicePackMinor);
            servicePackText = Bstr(BufferText(extended.szCSDVersion, sizeof extended.szCSDVersion));
            suiteMask = static_cast<short>(extended.wSuiteMask);
            productType = extended.wProductType;
            classification = Win2000;
            return;
        }
        majorVersion = static_cast<long>(record.dwMajorVersion);
        minorVersion = static_cast<long>(record.dwMinorVersion);
        buildNumber = static_cast<long>(record.dwBuildNumber);
        servicePackText = Bstr(BufferText(record.szCSDVersion, sizeof record.szCSDVersion));
        switch (record.dwPlatformId) {
        case VER_PLATFORM_WIN32_WINDOWS:
            buildNumber = numeric::LowWord(record.dwBuildNumber);
            classification = ClassifyWindows95Family(majorVersion, minorVersion, buildNumber);
            break;
        case VER_PLATFORM_WIN32_NT:
            buildNumber = static_cast<long>(record.dwBuildNumber & 0xFFFF);
            classification = ClassifyEarlyNT(majorVersion, minorVersion);
            break;
        default:
            classification = Win32s;
        }
    }

    STDMETHODIMP OSEnum(OSType* result) override { return Get(result, classification); }
    STDMETHODIMP OSName(BSTR* result) override {
        return Produce(result, [&] { return Bstr(kDisplayNames.at(static_cast<std::size_t>(classification))); });
    }
    STDMETHODIMP OSMajorVersion(long* result) override { return Get(result, majorVersion); }
    STDMETHODIMP OSMinorVersion(long* result) override { return Get(result, minorVersion); }
    STDMETHODIMP OSSPMajorVersion(long* result) override { return Get(result, servicePackMajor); }
    STDMETHODIMP OSSPMinorVersion(long* result) override { return Get(result, servicePackMinor); }
    STDMETHODIMP OSBuildNumber(long* result) override { return Get(result, buildNumber); }
    STDMETHODIMP PSSInfo(BSTR* result) override { return Get(result, servicePackText); }
    STDMETHODIMP get_IsNT(VARIANT_BOOL* result) override { return Flag(result, classification >= WinNT3); }
    STDMETHODIMP get_IsWin98(VARIANT_BOOL* result) override {
        return Flag(result, classification == Win98 || classification == Win98R2);
    }
    STDMETHODIMP get_IsWin2K(VARIANT_BOOL* result) override { return Flag(result, classification == Win2000); }
    STDMETHODIMP get_OSProductType(ProductType* result) override {
        return Produce(result, [&] { return static_cast<ProductType>(productType); });
    }
    STDMETHODIMP get_OSSuiteType(SuiteType* result) override {
        return Produce(result, [&] { return static_cast<SuiteType>(suiteMask); });
    }

private:
    OSType classification = Win32s;
    long majorVersion = 0, minorVersion = 0, buildNumber = 0;
    long servicePackMajor = 0, servicePackMinor = 0, suiteMask = 0, productType = 0;
    Bstr servicePackText;
};

static const ClassRegistration<clsKvOrviOSInfoA> registration;
