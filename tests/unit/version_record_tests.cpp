// The OS and browser version records over substituted system answers.
#include <shlwapi.h>

#include "errors.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

OSVERSIONINFOA reported{};
BOOL answerOk = TRUE;
BOOL WINAPI ReportedVersion(LPOSVERSIONINFOA record) {
    if (!answerOk) return FALSE;
    const DWORD size = record->dwOSVersionInfoSize;
    *record = reported;
    record->dwOSVersionInfoSize = size;
    return TRUE;
}

struct OsCase {
    const char* release;
    DWORD platform, major, minor, build;
    long expectedBuild;
    const wchar_t* expectedName;
};

class OsRecord : public testing::TestWithParam<OsCase> {};

TEST_P(OsRecord, FillsFromTheVersionQuery) {
    const OsCase& row = GetParam();
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &ReportedVersion);
    reported = OSVERSIONINFOA{};
    reported.dwPlatformId = row.platform;
    reported.dwMajorVersion = row.major;
    reported.dwMinorVersion = row.minor;
    reported.dwBuildNumber = row.build;
    answerOk = TRUE;

    auto record = CreateThroughFactory<_clsKvOrviOsVersionInfoA>(__uuidof(clsKvOrviOsVersionInfoA));
    ASSERT_TRUE(record);
    OSVerPlatformOrviConstants platform{};
    long major = -1, minor = -1, build = -1;
    Bstr name;
    EXPECT_EQ(S_OK, record->get_PlatformID(&platform));
    EXPECT_EQ(S_OK, record->get_MajorVersion(&major));
    EXPECT_EQ(S_OK, record->get_MinorVersion(&minor));
    EXPECT_EQ(S_OK, record->get_BuildNumber(&build));
    EXPECT_EQ(S_OK, record->get_PlatformName(name.Put()));
    EXPECT_EQ(static_cast<long>(row.platform), static_cast<long>(platform));
    EXPECT_EQ(static_cast<long>(row.major), major);
    EXPECT_EQ(static_cast<long>(row.minor), minor);
    EXPECT_EQ(row.expectedBuild, build);
    EXPECT_EQ(std::wstring_view(row.expectedName), name.View());
}

INSTANTIATE_TEST_SUITE_P(
    Releases, OsRecord,
    testing::Values(
        OsCase{"Windows 98", 1, 4, 10, 0x040A07CE, 1998, L"WIN32_9X"},
        OsCase{"Windows 98 high build", 1, 4, 10, 0x040A8001, -32767, L"WIN32_9X"},
        OsCase{"Windows 95", 1, 4, 0, 0x040003B6, 67109814, L"WIN32_9X"},
        OsCase{"Millennium", 1, 4, 90, 0x045A0BB8, 0x045A0BB8, L"WIN32_9X"},
        OsCase{"Windows XP", 2, 5, 1, 2600, 2600, L"WIN32_NT"},
        OsCase{"Win32s", 0, 3, 10, 0, 0, L"WIN32S"},
        OsCase{"Unknown platform", 3, 10, 0, 19045, 19045, L""}),
    [](const testing::TestParamInfo<OsCase>& info) {
        std::string name = info.param.release;
        for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(OsRecordFill, FailedQueryGivesZerosAndWin32s) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &ReportedVersion);
    answerOk = FALSE;
    auto record = CreateThroughFactory<_clsKvOrviOsVersionInfoA>(__uuidof(clsKvOrviOsVersionInfoA));
    answerOk = TRUE;
    ASSERT_TRUE(record);
    long major = -1, build = -1;
    Bstr name;
    record->get_MajorVersion(&major);
    record->get_BuildNumber(&build);
    record->get_PlatformName(name.Put());
    EXPECT_EQ(0, major);
    EXPECT_EQ(0, build);
    EXPECT_EQ(L"WIN32S", name.View());
}

TEST(OsRecordFill, LiveRecordMatchesGetVersionEx) {
    OSVERSIONINFOA direct{};
    direct.dwOSVersionInfoSize = sizeof direct;
    ASSERT_TRUE(GetVersionExA(&direct));
    auto record = CreateThroughFactory<_clsKvOrviOsVersionInfoA>(__uuidof(clsKvOrviOsVersionInfoA));
    long major = 0, minor = 0, build = 0;
    record->get_MajorVersion(&major);
    record->get_MinorVersion(&minor);
    record->get_BuildNumber(&build);
    EXPECT_EQ(static_cast<long>(direct.dwMajorVersion), major);
    EXPECT_EQ(static_cast<long>(direct.dwMinorVersion), minor);
    EXPECT_EQ(static_cast<long>(direct.dwBuildNumber), build);
}

HRSRC WINAPI NoResource(HMODULE, LPCSTR, LPCSTR) { return nullptr; }

TEST(OsRecordFill, StartUpFailureYieldsNoObjectAndItsError) {
    // Without its string table the record cannot name the platform.
    SubstituteScope scope;
    scope.Replace<decltype(&::FindResourceA)>("kernel32.dll", "FindResourceA", &NoResource);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, DllGetClassObject(__uuidof(clsKvOrviOsVersionInfoA), IID_IClassFactory, factory.PutVoid()));
    ComPtr<IDispatch> object;
    EXPECT_EQ(ErrorHResult(326), factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
    EXPECT_FALSE(object);
    const ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(L"Orvilib10.clsKvOrviOsVersionInfoA", report.source);
    EXPECT_NE(std::wstring::npos, report.description.find(L"127"));
}

TEST(OsRecordAccessors, LetsStoreValuesUnchecked) {
    auto record = CreateThroughFactory<_clsKvOrviOsVersionInfoA>(__uuidof(clsKvOrviOsVersionInfoA));
    long minor = 0, major = 0;
    record->get_MinorVersion(&minor);
    EXPECT_EQ(S_OK, record->put_MajorVersion(99));
    EXPECT_EQ(S_OK, record->put_PlatformID(static_cast<OSVerPlatformOrviConstants>(7)));
    EXPECT_EQ(S_OK, record->put_PlatformName(nullptr));
    record->get_MajorVersion(&major);
    EXPECT_EQ(99, major);
    long after = -1;
    record->get_MinorVersion(&after);
    EXPECT_EQ(minor, after);
    OSVerPlatformOrviConstants platform{};
    record->get_PlatformID(&platform);
    EXPECT_EQ(7, static_cast<long>(platform));
    Bstr name;
    record->get_PlatformName(name.Put());
    EXPECT_TRUE(name.Empty());
    EXPECT_EQ(E_POINTER, record->get_MajorVersion(nullptr));
}

TEST(OsRecordAccessors, LateBoundGetAndLet) {
    auto record = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviOsVersionInfoA));
    EXPECT_EQ(0x68030004, DispatchIdOf(record.Get(), L"PlatformID"));
    EXPECT_EQ(0x68030000, DispatchIdOf(record.Get(), L"PlatformName"));
    EXPECT_EQ(S_OK, PutProperty(record.Get(), L"MajorVersion", LongValue(99)).hr);
    EXPECT_EQ(99, LongOf(GetProperty(record.Get(), L"MajorVersion").result));
    EXPECT_EQ(S_OK, PutProperty(record.Get(), L"PlatformName", TextValue(L"mine")).hr);
    EXPECT_EQ(L"mine", TextOf(GetProperty(record.Get(), L"PlatformName").result));
}

DLLVERSIONINFO shellVersion{};
HRESULT CALLBACK ReportedShellVersion(DLLVERSIONINFO* record) {
    if (record->cbSize != 20) return E_INVALIDARG;
    *record = shellVersion;
    return S_OK;
}

TEST(BrowserRecord, FillsFromDllGetVersion) {
    SubstituteScope scope;
    scope.Replace<DLLGETVERSIONPROC>("shlwapi.dll", "DllGetVersion", &ReportedShellVersion);
    shellVersion = DLLVERSIONINFO{20, 6, 0, 2900, 2};
    auto record = CreateThroughFactory<_clsKvOrviIEVersionInfoA>(__uuidof(clsKvOrviIEVersionInfoA));
    long major = 0, minor = -1, build = 0;
    record->get_MajorVersion(&major);
    record->get_MinorVersion(&minor);
    record->get_BuildNumber(&build);
    EXPECT_EQ(6, major);
    EXPECT_EQ(0, minor);
    EXPECT_EQ(2900, build);
}

TEST(BrowserRecord, MissingDllGetVersionGivesZerosAndCreationSucceeds) {
    for (bool wholeLibrary : {false, true}) {
        SubstituteScope scope;
        if (wholeLibrary) scope.RemoveLibrary("Shlwapi.dll");
        else scope.Remove("Shlwapi.dll", "DllGetVersion");
        auto record = CreateThroughFactory<_clsKvOrviIEVersionInfoA>(__uuidof(clsKvOrviIEVersionInfoA));
        ASSERT_TRUE(record);
        long major = -1, minor = -1, build = -1;
        record->get_MajorVersion(&major);
        record->get_MinorVersion(&minor);
        record->get_BuildNumber(&build);
        EXPECT_EQ(0, major);
        EXPECT_EQ(0, minor);
        EXPECT_EQ(0, build);
        EXPECT_FALSE(TakeErrorInfo().present);  // the ignored failure leaves nothing behind
    }
}

}  // namespace
