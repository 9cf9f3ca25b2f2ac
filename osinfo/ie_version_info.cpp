// clsKvOrviIEVersionInfoA: the browser shell library's version, filled once
// at creation; every step of the fill ignores failures.
#include <shlwapi.h>

#include "com_object.h"
#include "orvilib10_h.h"
#include "system_function.h"

using namespace orvi;

namespace {
const SystemFunction<DLLGETVERSIONPROC> shellDllGetVersion{"Shlwapi.dll", "DllGetVersion"};
}

class clsKvOrviIEVersionInfoA final : public ComObject<clsKvOrviIEVersionInfoA, _clsKvOrviIEVersionInfoA> {
public:
    void StartUp() {
        static_assert(sizeof(DLLVERSIONINFO) == 20);
        DLLVERSIONINFO record{};
        record.cbSize = sizeof record;
        // A missing library or entry point leaves the record at zeros.
        Attempt([&] { shellDllGetVersion(&record); });
        put_MajorVersion(static_cast<long>(record.dwMajorVersion));
        put_MinorVersion(static_cast<long>(record.dwMinorVersion));
        put_BuildNumber(static_cast<long>(record.dwBuildNumber));
    }

    STDMETHODIMP get_MajorVersion(long* result) override { return Get(result, majorVersion); }
    STDMETHODIMP put_MajorVersion(long value) override { return Let(majorVersion, value); }
    STDMETHODIMP get_MinorVersion(long* result) override { return Get(result, minorVersion); }
    STDMETHODIMP put_MinorVersion(long value) override { return Let(minorVersion, value); }
    STDMETHODIMP get_BuildNumber(long* result) override { return Get(result, buildNumber); }
    STDMETHODIMP put_BuildNumber(long value) override { return Let(buildNumber, value); }

private:
    long majorVersion = 0, minorVersion = 0, buildNumber = 0;
};

static const ClassRegistration<clsKvOrviIEVersionInfoA> registration;
