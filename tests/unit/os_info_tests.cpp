// The OS classification over substituted version records, one row per release.
#include <cstring>

#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

struct Release {
    const char* name;
    DWORD platform, major, minor, build;
    const char* servicePackText;
    WORD servicePackMajor, servicePackMinor, suiteMask;
    BYTE productType;
    // Expected
    OSType classification;
    const wchar_t* displayName;
    long build_, servicePackMajor_;
    bool isNT, isWin98, isWin2K;
};

const Release* current = nullptr;
bool extendedFails = false;

BOOL WINAPI ReportRelease(LPOSVERSIONINFOA record) {
    const DWORD size = record->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) return FALSE;
    if (size == sizeof(OSVERSIONINFOEXA) && extendedFails) return FALSE;
    record->dwMajorVersion = current->major;
    record->dwMinorVersion = current->minor;
    record->dwBuildNumber = current->build;
    record->dwPlatformId = current->platform;
    std::memset(record->szCSDVersion, 0, sizeof record->szCSDVersion);
    std::memcpy(record->szCSDVersion, current->servicePackText, std::strlen(current->servicePackText));
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* extended = reinterpret_cast<OSVERSIONINFOEXA*>(record);
        extended->wServicePackMajor = current->servicePackMajor;
        extended->wServicePackMinor = current->servicePackMinor;
        extended->wSuiteMask = current->suiteMask;
        extended->wProductType = current->productType;
    }
    return TRUE;
}

class Classification : public testing::TestWithParam<Release> {
protected:
    void SetUp() override {
        current = &GetParam();
        extendedFails = false;
        scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &ReportRelease);
    }
    SubstituteScope scope;
};

TEST_P(Classification, ClassifiesTheRelease) {
    const Release& row = GetParam();
    auto info = CreateThroughFactory<_clsKvOrviOSInfoA>(__uuidof(clsKvOrviOSInfoA));
    ASSERT_TRUE(info);
    OSType classification{};
    long major = -1, minor = -1, build = -1, spMajor = -1, spMinor = -1;
    VARIANT_BOOL isNT = 1, isWin98 = 1, isWin2K = 1;
    ProductType product{};
    SuiteType suite{};
    Bstr name, servicePack;
    EXPECT_EQ(S_OK, info->OSEnum(&classification));
    EXPECT_EQ(S_OK, info->OSName(name.Put()));
    info->OSMajorVersion(&major);
    info->OSMinorVersion(&minor);
    info->OSBuildNumber(&build);
    info->OSSPMajorVersion(&spMajor);
    info->OSSPMinorVersion(&spMinor);
    info->PSSInfo(servicePack.Put());
    info->get_IsNT(&isNT);
    info->get_IsWin98(&isWin98);
    info->get_IsWin2K(&isWin2K);
    info->get_OSProductType(&product);
    info->get_OSSuiteType(&suite);

    EXPECT_EQ(row.classification, classification);
    EXPECT_EQ(std::wstring_view(row.displayName), name.View());
    EXPECT_EQ(static_cast<long>(row.major), major);
    EXPECT_EQ(static_cast<long>(row.minor), minor);
    EXPECT_EQ(row.build_, build);
    EXPECT_EQ(row.servicePackMajor_, spMajor);
    const bool extended = row.classification == Win2000;
    EXPECT_EQ(extended ? row.servicePackMinor : 0, spMinor);
    EXPECT_EQ(extended ? row.productType : 0, static_cast<long>(product));
    EXPECT_EQ(extended ? row.suiteMask : 0, static_cast<long>(suite));
    EXPECT_EQ(std::wstring(row.servicePackText, row.servicePackText + std::strlen(row.servicePackText)), servicePack.View());
    EXPECT_EQ(row.isNT ? VARIANT_TRUE : VARIANT_FALSE, isNT);
    EXPECT_EQ(row.isWin98 ? VARIANT_TRUE : VARIANT_FALSE, isWin98);
    EXPECT_EQ(row.isWin2K ? VARIANT_TRUE : VARIANT_FALSE, isWin2K);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, Classification,
    testing::Values(
        Release{"Win32s", 0, 3, 11, 0, "", 0, 0, 0, 0, Win32s, L"Win32s", 0, 0, false, false, false},
        Release{"Windows95", 1, 4, 0, 0x040003B6, "", 0, 0, 0, 0, Win95, L"Windows '95", 950, 0, false, false, false},
        Release{"Windows95OSR2", 1, 4, 0, 0x04000457, " B", 0, 0, 0, 0, Win95OSR2, L"Windows '95 OSR 2", 1111, 0, false, false, false},
        Release{"Windows98", 1, 4, 10, 0x040A07CE, "", 0, 0, 0, 0, Win98, L"Windows '98", 1998, 0, false, true, false},
        Release{"Windows98SE", 1, 4, 10, 0x040A08AE, " A ", 0, 0, 0, 0, Win98R2, L"Windows '98 Release 2", 2222, 0, false, true, false},
        Release{"Millennium", 1, 4, 90, 0x045A0BB8, "", 0, 0, 0, 0, WinMillennium, L"Windows Millennium", 3000, 0, false, false, false},
        Release{"NT31", 2, 3, 10, 528, "", 0, 0, 0, 0, WinNT31, L"Windows NT 3.1", 528, 0, true, false, false},
        Release{"NT351", 2, 3, 51, 1057, "Service Pack 5", 0, 0, 0, 0, WinNT35, L"Windows NT 3.5", 1057, 0, true, false, false},
        Release{"NT4", 2, 4, 0, 0x00010565, "Service Pack 6", 6, 0, 0, 0, WinNT4, L"Windows NT 4.0", 1381, 0, true, false, false},
        Release{"Windows2000", 2, 5, 0, 2195, "Service Pack 4", 4, 0, 0, 1, Win2000, L"Windows 2000", 2195, 4, true, false, true},
        Release{"WindowsXP", 2, 5, 1, 2600, "Service Pack 2", 2, 0, 0x0100, 1, Win2000, L"Windows 2000", 2600, 2, true, false, true},
        Release{"Server2003", 2, 5, 2, 3790, "Service Pack 1", 1, 0, 0x0110, 3, Win2000, L"Windows 2000", 3790, 1, true, false, true},
        Release{"DomainController", 2, 6, 0, 6002, "Service Pack 2", 2, 1, 0x0002, 2, Win2000, L"Windows 2000", 6002, 2, true, false, true},
        Release{"Windows10", 2, 10, 0, 19045, "", 0, 0, 0x0300, 1, Win2000, L"Windows 2000", 19045, 0, true, false, true}),
    [](const testing::TestParamInfo<Release>& info) { return std::string(info.param.name); });

BOOL WINAPI FailingVersionQuery(LPOSVERSIONINFOA) { return FALSE; }

TEST(ClassificationFailures, FailedQueryClassifiesAsWin32s) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &FailingVersionQuery);
    auto info = CreateThroughFactory<_clsKvOrviOSInfoA>(__uuidof(clsKvOrviOSInfoA));
    ASSERT_TRUE(info);
    OSType classification = WinDontKnow;
    Bstr name, servicePack;
    info->OSEnum(&classification);
    info->OSName(name.Put());
    info->PSSInfo(servicePack.Put());
    EXPECT_EQ(Win32s, classification);
    EXPECT_EQ(L"Win32s", name.View());
    EXPECT_TRUE(servicePack.Empty());
}

TEST(ClassificationFailures, FailedExtendedQueryStillClassifiesWin2000WithZeros) {
    static const Release xp{"XP", 2, 5, 1, 2600, "Service Pack 2", 2, 0, 0x0100, 1, Win2000, L"", 0, 0, true, false, true};
    current = &xp;
    extendedFails = true;
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &ReportRelease);
    auto info = CreateThroughFactory<_clsKvOrviOSInfoA>(__uuidof(clsKvOrviOSInfoA));
    extendedFails = false;
    OSType classification{};
    long major = -1, spMajor = -1;
    ProductType product = OSTypeServer;
    info->OSEnum(&classification);
    info->OSMajorVersion(&major);
    info->OSSPMajorVersion(&spMajor);
    info->get_OSProductType(&product);
    EXPECT_EQ(Win2000, classification);
    EXPECT_EQ(0, major);
    EXPECT_EQ(0, spMajor);
    EXPECT_EQ(OSTypeUnSupported, product);
}

TEST(ClassificationLateBound, OSNameIsTheDefaultMember) {
    auto info = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviOSInfoA));
    DISPPARAMS none{};
    Variant value;
    // The value of the object, fetched as automation clients do.
    EXPECT_EQ(S_OK, info->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                 &none, value.Put(), nullptr, nullptr));
    EXPECT_EQ(L"Windows 2000", TextOf(value));  // Wine reports an NT release of version 5 or later
    EXPECT_EQ(0x68030002, DispatchIdOf(info.Get(), L"IsWin2K"));
    EXPECT_EQ(0x6003000D, DispatchIdOf(info.Get(), L"PSSInfo"));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(GetProperty(info.Get(), L"IsNT").result.Get()));
}

}  // namespace
