// The system summary over substituted system functions, and live under Wine.
#include <shlwapi.h>

#include <cstring>

#include "errors.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

struct Machine {
    const char* name;
    DWORD major, minor, build, processor;
    // Expected
    const wchar_t* windowsName;
    const wchar_t* versionText;
    const wchar_t* processorName;
};

const Machine* machine = nullptr;
bool versionFails = false;
MEMORYSTATUS memory{};
DWORD browserSizeSeen = 0;

BOOL WINAPI FakeGetVersion(LPOSVERSIONINFOA record) {
    if (versionFails || record->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    record->dwMajorVersion = machine->major;
    record->dwMinorVersion = machine->minor;
    record->dwBuildNumber = machine->build;
    record->dwPlatformId = machine->major < 5 && machine->minor >= 10 ? 1 : 2;
    return TRUE;
}
void WINAPI FakeSystemInfo(LPSYSTEM_INFO info) {
    std::memset(info, 0, sizeof *info);
    info->dwProcessorType = machine->processor;
}
void WINAPI FakeMemoryStatus(LPMEMORYSTATUS status) { *status = memory; }
HRESULT CALLBACK FakeDllGetVersion(DLLVERSIONINFO* info) {
    browserSizeSeen = info->cbSize;
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 2900;
    return S_OK;
}

class Substituted {
protected:
    Substituted() {
        versionFails = false;
        memory = MEMORYSTATUS{};
        scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &FakeGetVersion);
        scope.Replace<decltype(&::GetSystemInfo)>("kernel32.dll", "GetSystemInfo", &FakeSystemInfo);
        scope.Replace<decltype(&::GlobalMemoryStatus)>("kernel32.dll", "GlobalMemoryStatus", &FakeMemoryStatus);
        scope.Replace<DLLGETVERSIONPROC>("Shlwapi.dll", "DllGetVersion", &FakeDllGetVersion);
    }
    SubstituteScope scope;
};

ComPtr<_clsKvOrviInformationB> NewSummary() {
    return CreateThroughFactory<_clsKvOrviInformationB>(__uuidof(clsKvOrviInformationB));
}

std::wstring Text(HRESULT (STDMETHODCALLTYPE _clsKvOrviInformationB::*get)(BSTR*), _clsKvOrviInformationB* summary) {
    Bstr text;
    EXPECT_EQ(S_OK, (summary->*get)(text.Put()));
    return std::wstring(text.View());
}

class Summary : public Substituted, public testing::TestWithParam<Machine> {
protected:
    void SetUp() override { machine = &GetParam(); }
};

TEST_P(Summary, NamesVersionAndProcessor) {
    const Machine& row = GetParam();
    auto summary = NewSummary();
    ASSERT_TRUE(summary);
    EXPECT_EQ(row.windowsName, Text(&_clsKvOrviInformationB::get_WinName, summary.Get()));
    EXPECT_EQ(row.versionText, Text(&_clsKvOrviInformationB::get_WinVersion, summary.Get()));
    EXPECT_EQ(row.processorName, Text(&_clsKvOrviInformationB::get_CPUVersion, summary.Get()));
    EXPECT_EQ(L"Internet Explorer 6.0.2900", Text(&_clsKvOrviInformationB::get_IEVersion, summary.Get()));
    EXPECT_EQ(20u, browserSizeSeen);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, Summary,
    testing::Values(
        Machine{"WindowsXP", 5, 1, 2600, 586, L"Windows XP ", L"5.1 (Build 2600)", L"Intel Pentium"},
        Machine{"Server2003", 5, 2, 3790, 486, L"Windows 2000 ", L"5.2 (Build 3790)", L"Intel 486"},
        Machine{"Windows98", 4, 10, 0x040A07CE, 386, L"Windows 98 ", L"4.10 (Build 67766222)", L"Intel 386"},
        Machine{"Millennium", 4, 90, 0x045A0BB8, 4000, L"Windows ME ", L"4.90 (Build 73010104)", L"MIPS R4000"},
        Machine{"NT4", 4, 0, 1381, 21064, L"Windows NT ", L"4.0 (Build 1381)", L"DEC Alpha 21064"},
        Machine{"NT35", 3, 5, 807, 486, L"Windows NT ", L"3.5 (Build 807)", L"Intel 486"},
        Machine{"NT351", 3, 51, 1057, 486, L"Windows ", L"3.51 (Build 1057)", L"Intel 486"},
        Machine{"Vista", 6, 0, 6002, 8664, L"Windows Unknown Version", L"6.0 (Build 6002)", L"(unknown)"},
        Machine{"NegativeBuild", 10, 0, 0x80000001, 0, L"Windows Unknown Version", L"10.0 (Build -2147483647)", L"(unknown)"}),
    [](const testing::TestParamInfo<Machine>& info) { return std::string(info.param.name); });

class SummaryFailures : public Substituted, public testing::Test {
protected:
    void SetUp() override {
        static const Machine xp{"xp", 5, 1, 2600, 586, L"", L"", L""};
        machine = &xp;
    }
};

TEST_F(SummaryFailures, FailedVersionQueryGivesZeros) {
    versionFails = true;
    auto summary = NewSummary();
    ASSERT_TRUE(summary);
    EXPECT_EQ(L"Windows Unknown Version", Text(&_clsKvOrviInformationB::get_WinName, summary.Get()));
    EXPECT_EQ(L"0.0 (Build 0)", Text(&_clsKvOrviInformationB::get_WinVersion, summary.Get()));
}

TEST_F(SummaryFailures, VersionBeyondSixteenBitsFailsTheCreation) {
    static const Machine wide{"wide", 70000, 0, 1, 586, L"", L"", L""};
    machine = &wide;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, DllGetClassObject(__uuidof(clsKvOrviInformationB), IID_IClassFactory, factory.PutVoid()));
    ComPtr<IDispatch> object;
    EXPECT_EQ(ErrorHResult(6), factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
    EXPECT_FALSE(object);
    EXPECT_EQ(L"Orvilib10.clsKvOrviInformationB", TakeErrorInfo().source);
}

TEST_F(SummaryFailures, MissingShellVersionFailsTheCreation) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, DllGetClassObject(__uuidof(clsKvOrviInformationB), IID_IClassFactory, factory.PutVoid()));
    ComPtr<IDispatch> object;
    scope.Remove("Shlwapi.dll", "DllGetVersion");
    EXPECT_EQ(ErrorHResult(453), factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
    EXPECT_NE(std::wstring::npos, TakeErrorInfo().description.find(L"DllGetVersion"));
    seams::ClearSubstitutes();
    scope.RemoveLibrary("Shlwapi.dll");
    EXPECT_EQ(ErrorHResult(53), factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
    EXPECT_FALSE(object);
    SetErrorInfo(0, nullptr);
}

struct MemoryRow {
    SIZE_T totalPhys, availPhys, totalVirtual, availVirtual;
    long memoryTotal, memoryFree, virtualTotal, virtualFree;
};

TEST_F(SummaryFailures, MemoryInKilobytesRoundedToEven) {
    const MemoryRow rows[] = {
        {1024u * 1024u, 1536, 2560, 2560, 1024, 2, 2, 2},
        {3584, 3584, 1023, 3584, 4, 4, 1, 4},
        // At and above 2 GB the figures stay positive.
        {3221225472u, 2147483648u, 4294967295u, 2147483648u, 3145728, 2097152, 4194304, 2097152},
        {0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const MemoryRow& row : rows) {
        memory = MEMORYSTATUS{};
        memory.dwTotalPhys = row.totalPhys;
        memory.dwAvailPhys = row.availPhys;
        memory.dwTotalVirtual = row.totalVirtual;
        memory.dwAvailVirtual = row.availVirtual;
        auto summary = NewSummary();
        ASSERT_TRUE(summary);
        long total = -1, free = -1, virtualTotal = -1, virtualFree = -1, again = -1;
        summary->get_MemoryTotal(&total);
        summary->get_MemoryFree(&free);
        summary->get_VirtualMemoryTotal(&virtualTotal);
        summary->get_VirtualMemoryFree(&virtualFree);
        summary->get_VirtualMemoryFree(&again);
        EXPECT_EQ(row.memoryTotal, total) << row.totalPhys;
        EXPECT_EQ(row.memoryFree, free) << row.availPhys;
        EXPECT_EQ(row.virtualTotal, virtualTotal) << row.totalVirtual;
        EXPECT_EQ(row.virtualFree, virtualFree) << row.availVirtual;
        EXPECT_EQ(virtualFree, again);
    }
}

#ifdef _WIN64
TEST_F(SummaryFailures, FiguresBeyondTheLongRangeReadAsTheLargestLong) {
    memory.dwTotalVirtual = memory.dwAvailVirtual = SIZE_T{128} << 40;  // 128 TB of address space
    auto summary = NewSummary();
    long virtualTotal = 0, virtualFree = 0;
    EXPECT_EQ(S_OK, summary->get_VirtualMemoryTotal(&virtualTotal));
    EXPECT_EQ(S_OK, summary->get_VirtualMemoryFree(&virtualFree));
    EXPECT_EQ(2147483647, virtualTotal);
    EXPECT_EQ(2147483647, virtualFree);
}
#endif

TEST(SummaryLive, ConsistentWithTheDirectSystemCalls) {
    auto summary = NewSummary();
    ASSERT_TRUE(summary);
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(std::to_wstring(version.dwMajorVersion) + L"." + std::to_wstring(version.dwMinorVersion) + L" (Build " +
                  std::to_wstring(version.dwBuildNumber) + L")",
              Text(&_clsKvOrviInformationB::get_WinVersion, summary.Get()));
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::wstring processor = Text(&_clsKvOrviInformationB::get_CPUVersion, summary.Get());
    EXPECT_EQ(system.dwProcessorType == 586 ? L"Intel Pentium" : L"(unknown)", processor) << system.dwProcessorType;

    MEMORYSTATUS status{};
    GlobalMemoryStatus(&status);
    long total = 0, free = 0;
    summary->get_MemoryTotal(&total);
    summary->get_MemoryFree(&free);
    EXPECT_NEAR(static_cast<double>(status.dwTotalPhys) / 1024.0, total, 1.0);
    EXPECT_GT(free, 0);
    EXPECT_LE(free, total);

    DLLVERSIONINFO browser{};
    browser.cbSize = sizeof browser;
    const auto shellVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("Shlwapi.dll"), "DllGetVersion")));
    ASSERT_NE(nullptr, shellVersion);
    shellVersion(&browser);
    EXPECT_EQ(L"Internet Explorer " + std::to_wstring(browser.dwMajorVersion) + L"." + std::to_wstring(browser.dwMinorVersion) +
                  L"." + std::to_wstring(browser.dwBuildNumber),
              Text(&_clsKvOrviInformationB::get_IEVersion, summary.Get()));

    auto late = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviInformationB));
    const std::pair<const wchar_t*, DISPID> ids[] = {
        {L"VirtualMemoryFree", 0x68030007}, {L"VirtualMemoryTotal", 0x68030006}, {L"MemoryFree", 0x68030005},
        {L"MemoryTotal", 0x68030004}, {L"WinVersion", 0x68030003}, {L"WinName", 0x68030002},
        {L"CPUVersion", 0x68030001}, {L"IEVersion", 0x68030000}, {L"GetDisplayBitsPerPixel", 0x6003000A}};
    for (const auto& [name, id] : ids) EXPECT_EQ(id, DispatchIdOf(late.Get(), name)) << name;
    EXPECT_EQ(total, LongOf(GetProperty(late.Get(), L"MemoryTotal").result));
}


HDC capsContext = nullptr;
int capsIndex = -1;
int WINAPI FakeDeviceCaps(HDC context, int index) {
    capsContext = context;
    capsIndex = index;
    return 24;
}

TEST(DisplayBitsPerPixel, AsksTheDisplayOfTheFormsDeviceContext) {
    SKIP_WITHOUT_DISPLAY_CONTEXT();
    auto summary = NewSummary();
    HDC memoryContext = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, memoryContext);
    FakeForm form(LongValue(static_cast<long>(reinterpret_cast<INT_PTR>(memoryContext))));
    IDispatch* formArgument = &form;
    long bits = -1;
    EXPECT_EQ(S_OK, summary->GetDisplayBitsPerPixel(&formArgument, &bits));
    EXPECT_EQ(GetDeviceCaps(memoryContext, BITSPIXEL), bits);
    EXPECT_EQ(&form, formArgument);
    {
        SubstituteScope scope;
        scope.Replace<decltype(&::GetDeviceCaps)>("gdi32.dll", "GetDeviceCaps", &FakeDeviceCaps);
        EXPECT_EQ(S_OK, summary->GetDisplayBitsPerPixel(&formArgument, &bits));
        EXPECT_EQ(24, bits);
        EXPECT_EQ(memoryContext, capsContext);
        EXPECT_EQ(12, capsIndex);
        // Late-bound, the form passed by reference as a script would.
        Variant formValue = ObjectValue(&form), byReference;
        V_VT(byReference.Put()) = VT_DISPATCH | VT_BYREF;
        V_DISPATCHREF(byReference.Get()) = &V_DISPATCH(formValue.Get());
        const LateCall late = CallMethod(summary.Get(), L"GetDisplayBitsPerPixel", {byReference});
        EXPECT_EQ(S_OK, late.hr);
        EXPECT_EQ(24, LongOf(late.result));
        V_VT(byReference.Get()) = VT_EMPTY;  // not ours to release
    }
    DeleteDC(memoryContext);
    EXPECT_EQ(1u, form.references);
}

TEST(DisplayBitsPerPixel, Failures) {
    auto summary = NewSummary();
    long bits = -1;
    IDispatch* nothing = nullptr;
    EXPECT_EQ(ErrorHResult(91), summary->GetDisplayBitsPerPixel(&nothing, &bits));
    EXPECT_EQ(0, bits);
    EXPECT_EQ(L"Orvilib10.clsKvOrviInformationB", TakeErrorInfo().source);

    auto noHdc = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviGeneralA));
    IDispatch* withoutHdc = noHdc.Get();
    EXPECT_EQ(ErrorHResult(438), summary->GetDisplayBitsPerPixel(&withoutHdc, &bits));

    FakeForm textForm(TextValue(L"not a number"));
    IDispatch* text = &textForm;
    EXPECT_EQ(ErrorHResult(13), summary->GetDisplayBitsPerPixel(&text, &bits));

    FakeForm failingForm(Variant{}, ErrorHResult(1001));
    IDispatch* failing = &failingForm;
    EXPECT_EQ(ErrorHResult(1001), summary->GetDisplayBitsPerPixel(&failing, &bits));
    const ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(L"Fake.Form", report.source);
    EXPECT_EQ(L"No device context today", report.description);
    EXPECT_EQ(0, bits);
}

}  // namespace
