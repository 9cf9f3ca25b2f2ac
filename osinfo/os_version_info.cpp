// clsKvOrviOsVersionInfoA: the OS version record, filled once at creation.
#include "com_object.h"
#include "orvilib10_h.h"
#include "os_version_query.h"
#include "pure/numeric.h"
#include "resource_ids.h"
#include "resources.h"

using namespace orvi;

class clsKvOrviOsVersionInfoA final : public ComObject<clsKvOrviOsVersionInfoA, _clsKvOrviOsVersionInfoA> {
public:
    void StartUp() {
        const OSVERSIONINFOA record = QueryOsVersion();
        Check(put_PlatformID(static_cast<OSVerPlatformOrviConstants>(record.dwPlatformId)));
        Check(put_MajorVersion(static_cast<long>(record.dwMajorVersion)));
        Check(put_MinorVersion(static_cast<long>(record.dwMinorVersion)));
        // Windows 98 repeats its version in the build number's high word.
        const bool windows98 = record.dwMajorVersion == 4 && record.dwMinorVersion == 10;
        Check(put_BuildNumber(windows98 ? numeric::LowWord(record.dwBuildNumber)
                                        : static_cast<long>(record.dwBuildNumber)));
        if (record.dwPlatformId <= 2) {
            const Bstr name(LoadComponentString(IDS_PLATFORM_WIN32S + record.dwPlatformId));
            Check(put_PlatformName(name.Get()));
        }
    }

    STDMETHODIMP get_PlatformID(OSVerPlatformOrviConstants* result) override { return Get(result, platformId); }
    STDMETHODIMP put_PlatformID(OSVerPlatformOrviConstants value) override { return Let(platformId, value); }
    STDMETHODIMP get_MajorVersion(long* result) override { return Get(result, majorVersion); }
    STDMETHODIMP put_MajorVersion(long value) override { return Let(majorVersion, value); }
    STDMETHODIMP get_MinorVersion(long* result) override { return Get(result, minorVersion); }
    STDMETHODIMP put_MinorVersion(long value) override { return Let(minorVersion, value); }
    STDMETHODIMP get_BuildNumber(long* result) override { return Get(result, buildNumber); }
    STDMETHODIMP put_BuildNumber(long value) override { return Let(buildNumber, value); }
    STDMETHODIMP get_PlatformName(BSTR* result) override { return Get(result, platformName); }
    STDMETHODIMP put_PlatformName(BSTR value) override { return Let(platformName, value); }

private:
    OSVerPlatformOrviConstants platformId{};
    long majorVersion = 0, minorVersion = 0, buildNumber = 0;
    Bstr platformName;
};

static const ClassRegistration<clsKvOrviOsVersionInfoA> registration;
