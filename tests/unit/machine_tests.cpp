// The machine-information class against the live system and over
// substituted system functions.
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "errors.h"
#include "machine/pure/figures.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

ComPtr<_clsKvOrviUtilitesWinInfoA> NewMachine() {
    return CreateThroughFactory<_clsKvOrviUtilitesWinInfoA>(__uuidof(clsKvOrviUtilitesWinInfoA));
}

std::wstring Text(BSTR value) { return std::wstring(Bstr::ViewOf(value)); }

std::wstring Widen(const char* text) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 512);
    return wide;
}

// A caller's text variable, passed by reference to a member that may rewrite it.
class RefText {
public:
    explicit RefText(std::wstring_view text) : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~RefText() { SysFreeString(value); }
    RefText(const RefText&) = delete;
    RefText& operator=(const RefText&) = delete;
    BSTR* Ref() { return &value; }
    std::wstring_view View() const { return Bstr::ViewOf(value); }

private:
    BSTR value;
};

long ErrorCode(_clsKvOrviUtilitesWinInfoA* machine) {
    long code = -1;
    EXPECT_EQ(S_OK, machine->get_SystemErrorCode(&code));
    return code;
}


// --- Substitutes -----------------------------------------------------------

DWORD nameSizeSeen = 0;
bool blanksSeen = false;
BOOL WINAPI NameTooLong(LPSTR buffer, LPDWORD size) {
    nameSizeSeen = *size;
    blanksSeen = buffer[0] == ' ' && buffer[*size - 1] == ' ';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}
BOOL WINAPI NameWithoutTerminator(LPSTR buffer, LPDWORD size) {
    std::memset(buffer, 'n', *size);  // fills the whole buffer, no NUL
    return TRUE;
}

int screenWidth = 1280, screenHeight = 1024, pixelsPerInch = 96, bitsPerPixel = 16, planes = 1;
int WINAPI FakeMetrics(int index) { return index == SM_CXSCREEN ? screenWidth : index == SM_CYSCREEN ? screenHeight : 0; }
int WINAPI FakeCaps(HDC, int index) {
    switch (index) {
    case LOGPIXELSX: case LOGPIXELSY: return pixelsPerInch;
    case BITSPIXEL: return bitsPerPixel;
    case PLANES: return planes;
    default: return 0;
    }
}

UINT waveDevices = 0;
UINT WINAPI FakeWaveDevices() { return waveDevices; }

MEMORYSTATUSEX memory{};
BOOL WINAPI FakeMemoryEx(LPMEMORYSTATUSEX status) {
    if (status->dwLength != sizeof(MEMORYSTATUSEX)) return FALSE;
    *status = memory;
    status->dwLength = sizeof(MEMORYSTATUSEX);
    return TRUE;
}
void WINAPI FakeMemory(LPMEMORYSTATUS status) {
    status->dwTotalPhys = 512u << 20;
    status->dwAvailPhys = 128u << 20;
    status->dwTotalPageFile = 1024u << 20;
    status->dwAvailPageFile = 256u << 20;
}

ULONGLONG ticks64 = 0;
DWORD ticks32 = 0;
ULONGLONG WINAPI FakeTicks64() { return ticks64; }
DWORD WINAPI FakeTicks32() { return ticks32; }
void WINAPI FakeLocalTime(LPSYSTEMTIME now) {
    *now = SYSTEMTIME{2026, 12, 2, 8, 12, 0, 0, 987};
}

UINT tempLength = 0;
DWORD WINAPI FakeTempPath(DWORD, LPSTR buffer) {
    std::memset(buffer, 'x', 10);
    return tempLength;
}

DWORD errorMode = 0;
BOOL WINAPI FakeThreadErrorMode(DWORD mode, LPDWORD previous) {
    if (previous) *previous = errorMode;
    errorMode = mode;
    return TRUE;
}

std::string diskAsked;
DWORD errorModeWhileAsked = 0;
DWORD sectorsPerCluster = 8, bytesPerSector = 512, freeClusters = 50000, totalClusters = 100000;
BOOL diskAnswer = TRUE;
BOOL WINAPI FakeDiskFreeSpace(LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD free, LPDWORD total) {
    diskAsked = root;
    errorModeWhileAsked = errorMode;
    if (!diskAnswer) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    *sectors = sectorsPerCluster;
    *bytes = bytesPerSector;
    *free = freeClusters;
    *total = totalClusters;
    return TRUE;
}

std::string volumeAsked;
BOOL WINAPI FakeVolume(LPCSTR root, LPSTR label, DWORD labelSize, LPDWORD, LPDWORD, LPDWORD, LPSTR, DWORD) {
    volumeAsked = root;
    if (labelSize != 255) return FALSE;
    std::strcpy(label, "SYSTEM");
    return TRUE;
}

std::string driveTypeAsked;
UINT WINAPI FakeDriveType(LPCSTR root) {
    driveTypeAsked = root;
    SetLastError(0);
    return DRIVE_CDROM;
}

// --- Type library ----------------------------------------------------------

TEST(MachineInterface, DriveTextsAreReferencesWithTheDefaultDrive) {
    auto machine = NewMachine();
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, machine->GetTypeInfo(0, 0, info.Put()));
    for (MEMBERID id : {0x60030010, 0x60030011, 0x60030012}) {
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
        const UINT count = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        bool found = false;
        for (UINT i = 0; i < count; ++i) {
            FUNCDESC* function = nullptr;
            ASSERT_EQ(S_OK, info->GetFuncDesc(i, &function));
            if (function->memid == id) {
                found = true;
                const ELEMDESC& drive = function->lprgelemdescParam[0];
                EXPECT_EQ(VT_PTR, drive.tdesc.vt);
                ASSERT_TRUE(drive.tdesc.lptdesc);
                EXPECT_EQ(VT_BSTR, drive.tdesc.lptdesc->vt);
                EXPECT_EQ(PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, drive.paramdesc.wParamFlags);
                ASSERT_TRUE(drive.paramdesc.pparamdescex);
                const VARIANT& fallback = drive.paramdesc.pparamdescex->varDefaultValue;
                EXPECT_EQ(VT_BSTR, V_VT(&fallback));
                EXPECT_EQ(L"C:\\", Text(V_BSTR(&fallback)));
            }
            info->ReleaseFuncDesc(function);
        }
        EXPECT_TRUE(found) << std::hex << id;
    }
}

// --- Identity and display --------------------------------------------------

TEST(MachineIdentity, NamesAreThoseOfTheSystem) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    char user[257] = {};
    size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));

    auto machine = NewMachine();
    Bstr name, current;
    EXPECT_EQ(S_OK, machine->get_name(name.Put()));
    EXPECT_EQ(S_OK, machine->get_CurrentUser(current.Put()));
    EXPECT_EQ(Widen(computer), name.View());
    EXPECT_EQ(Widen(user), current.View());
    EXPECT_EQ(0, ErrorCode(machine.Get()));
    EXPECT_EQ(Widen(computer), TextOf(GetProperty(machine.As<IDispatch>().Get(), L"name").result));
}

TEST(MachineIdentity, FailedNameCallGivesEmptyTextAndRecordsTheError) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetUserNameA)>("advapi32.dll", "GetUserNameA", &NameTooLong);
    scope.Replace<decltype(&::GetComputerNameA)>("kernel32.dll", "GetComputerNameA", &NameTooLong);
    auto machine = NewMachine();
    for (auto get : {&_clsKvOrviUtilitesWinInfoA::get_CurrentUser, &_clsKvOrviUtilitesWinInfoA::get_name}) {
        Bstr text(L"stale");
        nameSizeSeen = 0;
        EXPECT_EQ(S_OK, (machine.Get()->*get)(text.Put()));
        EXPECT_TRUE(text.Empty());
        EXPECT_EQ(255u, nameSizeSeen);
        EXPECT_TRUE(blanksSeen);
        EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, ErrorCode(machine.Get()));
    }
    // A later member that succeeds starts from 0 again.
    OS_VERSION version{};
    machine->get_OSVersion(&version);
    EXPECT_EQ(0, ErrorCode(machine.Get()));
}

TEST(MachineIdentity, NameIsNeverReadPastTheBuffer) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetComputerNameA)>("kernel32.dll", "GetComputerNameA", &NameWithoutTerminator);
    Bstr name;
    EXPECT_EQ(S_OK, NewMachine()->get_name(name.Put()));
    EXPECT_EQ(std::wstring(255, L'n'), name.View());
}

TEST(MachineDisplay, ScreenSizeAndResolution) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetSystemMetrics)>("user32.dll", "GetSystemMetrics", &FakeMetrics);
    scope.Replace<decltype(&::GetDeviceCaps)>("gdi32.dll", "GetDeviceCaps", &FakeCaps);
    auto machine = NewMachine();
    struct Row { int width, height, perInch; const wchar_t* resolution; } rows[] = {
        {1280, 1024, 96, L"1280x1024"}, {800, 600, 120, L"800x600"}, {1024, 768, 100, L"1053x789"}};
    for (const Row& row : rows) {
        screenWidth = row.width, screenHeight = row.height, pixelsPerInch = row.perInch;
        Bstr resolution;
        EXPECT_EQ(S_OK, machine->get_ScreenResolution(resolution.Put()));
        EXPECT_EQ(row.resolution, resolution.View());
    }
    screenWidth = 40000;
    Bstr resolution;
    EXPECT_EQ(ErrorHResult(errOverflow), machine->get_ScreenResolution(resolution.Put()));
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesWinInfoA", TakeErrorInfo().source);
    pixelsPerInch = 0;  // the same answer as the metrics class gives
    short height = 0;
    EXPECT_EQ(ErrorHResult(errDivisionByZero), machine->get_ScreenPixelHeight(&height));
    SetErrorInfo(0, nullptr);
}

TEST(MachineDisplay, MaxScreenColorsReadsTheFormsDeviceContext) {
    auto machine = NewMachine();
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    FakeForm form(LongValue(static_cast<long>(reinterpret_cast<intptr_t>(screen))));
    IDispatch* reference = &form;
    double colors = 0;
    EXPECT_EQ(S_OK, machine->get_MaxScreenColors(&reference, &colors));
    EXPECT_EQ(std::pow(2.0, depth), colors);
    ReleaseDC(nullptr, screen);

    FakeForm invalid(LongValue(0));  // no device context: both figures 0
    reference = &invalid;
    EXPECT_EQ(S_OK, machine->get_MaxScreenColors(&reference, &colors));
    EXPECT_EQ(1.0, colors);

    // Late-bound, the form passed as an object argument.
    FakeForm other(TextValue(L"12"));
    const LateCall call = GetProperty(machine.As<IDispatch>().Get(), L"MaxScreenColors", {ObjectValue(&other)});
    EXPECT_EQ(S_OK, call.hr);
}

TEST(MachineDisplay, MaxScreenColorsFailures) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetDeviceCaps)>("gdi32.dll", "GetDeviceCaps", &FakeCaps);
    auto machine = NewMachine();
    FakeForm form(LongValue(1));
    IDispatch* reference = &form;
    double colors = 0;
    bitsPerPixel = 32, planes = 1;
    EXPECT_EQ(S_OK, machine->get_MaxScreenColors(&reference, &colors));
    EXPECT_EQ(4294967296.0, colors);
    bitsPerPixel = 65536, planes = 65536;
    EXPECT_EQ(ErrorHResult(errOverflow), machine->get_MaxScreenColors(&reference, &colors));
    bitsPerPixel = 2000, planes = 1;  // 2^2000 has no Double
    EXPECT_EQ(ErrorHResult(errOverflow), machine->get_MaxScreenColors(&reference, &colors));

    IDispatch* nothing = nullptr;
    EXPECT_EQ(ErrorHResult(errObjectNotSet), machine->get_MaxScreenColors(&nothing, &colors));
    auto record = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviOsVersionInfoA));
    reference = record.Get();
    EXPECT_EQ(ErrorHResult(errMemberNotSupported), machine->get_MaxScreenColors(&reference, &colors));
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesWinInfoA", TakeErrorInfo().source);
    FakeForm wordy(TextValue(L"not a handle"));
    reference = &wordy;
    EXPECT_EQ(ErrorHResult(errTypeMismatch), machine->get_MaxScreenColors(&reference, &colors));
    SetErrorInfo(0, nullptr);
}

TEST(MachineDisplay, SoundCardCountsWaveOutputDevices) {
    SubstituteScope scope;
    scope.Replace<decltype(&::waveOutGetNumDevs)>("winmm.dll", "waveOutGetNumDevs", &FakeWaveDevices);
    auto machine = NewMachine();
    VARIANT_BOOL present = VARIANT_TRUE;
    waveDevices = 0;
    EXPECT_EQ(S_OK, machine->get_SoundCard(&present));
    EXPECT_EQ(VARIANT_FALSE, present);
    waveDevices = 2;
    EXPECT_EQ(S_OK, machine->get_SoundCard(&present));
    EXPECT_EQ(VARIANT_TRUE, present);
    scope.Remove("winmm.dll", "waveOutGetNumDevs");
    EXPECT_EQ(ErrorHResult(errFunctionNotFound), machine->get_SoundCard(&present));
    SetErrorInfo(0, nullptr);
}

// --- Version ---------------------------------------------------------------

OSVERSIONINFOA reportedVersion{};
BOOL WINAPI FakeVersion(LPOSVERSIONINFOA record) {
    const DWORD size = record->dwOSVersionInfoSize;
    *record = reportedVersion;
    record->dwOSVersionInfoSize = size;
    return TRUE;
}

TEST(MachineVersion, ReleaseFromTheVersionTakenAtCreation) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVersionExA)>("kernel32.dll", "GetVersionExA", &FakeVersion);
    struct Row { DWORD major, minor, platform; OS_VERSION expected; } rows[] = {
        {5, 1, 2, OS_WINDOWS_2000}, {6, 0, 2, OS_WINDOWS_UNKNOWN}, {4, 90, 1, OS_WINDOWS_98}};
    for (const Row& row : rows) {
        reportedVersion = OSVERSIONINFOA{};
        reportedVersion.dwMajorVersion = row.major;
        reportedVersion.dwMinorVersion = row.minor;
        reportedVersion.dwPlatformId = row.platform;
        auto machine = NewMachine();
        reportedVersion.dwMajorVersion = 4;  // later answers do not matter
        OS_VERSION version{};
        EXPECT_EQ(S_OK, machine->get_OSVersion(&version));
        EXPECT_EQ(row.expected, version) << row.major << "." << row.minor;
    }
}

// --- Memory ----------------------------------------------------------------

TEST(MachineMemory, FiguresInMegabytes) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GlobalMemoryStatusEx)>("kernel32.dll", "GlobalMemoryStatusEx", &FakeMemoryEx);
    memory = MEMORYSTATUSEX{};
    memory.ullTotalPhys = 3221225472ull;    // 3 GiB: 3072, not a negative figure
    memory.ullAvailPhys = 1572864;          // 1.5
    memory.ullTotalPageFile = 6ull << 40;   // 6 TiB
    memory.ullAvailPageFile = 1000000;      // 0.95
    auto machine = NewMachine();
    double figure = 0;
    using M = _clsKvOrviUtilitesWinInfoA;
    struct Row { HRESULT (STDMETHODCALLTYPE M::*member)(double*); double expected; } rows[] = {
        {&M::MemoryTotalPhysical, 3072}, {&M::MemoryAvailablePhysical, 1.5},
        {&M::MemoryPageFileSize, 6291456}, {&M::MemoryPageFile, 0.95},
        {&M::MemoryAvailable, 0.95 + 1.5}, {&M::MemoryInTotal, 3072 + 6291456.0},
        {&M::MemoryPercentFree, 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(S_OK, (machine.Get()->*row.member)(&figure));
        EXPECT_DOUBLE_EQ(row.expected, figure);
    }
    memory.ullTotalPageFile = 0;
    memory.ullTotalPhys = 1000ull << 20;
    memory.ullAvailPhys = 370ull << 20;
    memory.ullAvailPageFile = 5ull << 19;  // 2.5: 372.5 of 1000 rounds away from zero to 37
    EXPECT_EQ(S_OK, machine->MemoryPercentFree(&figure));
    EXPECT_EQ(37.0, figure);
    // No memory at all: 0 / 0 overflows, something / 0 divides by zero.
    memory = MEMORYSTATUSEX{};
    EXPECT_EQ(ErrorHResult(errOverflow), machine->MemoryPercentFree(&figure));
    memory.ullAvailPhys = 1 << 20;
    EXPECT_EQ(ErrorHResult(errDivisionByZero), machine->MemoryPercentFree(&figure));
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesWinInfoA", TakeErrorInfo().source);
}

TEST(MachineMemory, OlderSystemsUseTheThirtyTwoBitRecord) {
    SubstituteScope scope;
    scope.Remove("kernel32.dll", "GlobalMemoryStatusEx");
    scope.Replace<decltype(&::GlobalMemoryStatus)>("kernel32.dll", "GlobalMemoryStatus", &FakeMemory);
    auto machine = NewMachine();
    double total = 0, available = 0;
    EXPECT_EQ(S_OK, machine->MemoryInTotal(&total));
    EXPECT_EQ(S_OK, machine->MemoryAvailable(&available));
    EXPECT_EQ(1536.0, total);
    EXPECT_EQ(384.0, available);
    EXPECT_FALSE(TakeErrorInfo().present);
}

TEST(MachineMemory, LiveFiguresAgreeWithTheSystem) {
    auto machine = NewMachine();
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    double total = 0, available = 0, pageFile = 0, percent = 0, inTotal = 0;
    ASSERT_EQ(S_OK, machine->MemoryTotalPhysical(&total));
    ASSERT_EQ(S_OK, machine->MemoryAvailablePhysical(&available));
    ASSERT_EQ(S_OK, machine->MemoryPageFileSize(&pageFile));
    ASSERT_EQ(S_OK, machine->MemoryInTotal(&inTotal));
    ASSERT_EQ(S_OK, machine->MemoryPercentFree(&percent));
    EXPECT_EQ(machine::FormatMegabytes(static_cast<double>(status.ullTotalPhys)), total);
    EXPECT_EQ(machine::FormatMegabytes(static_cast<double>(status.ullTotalPageFile)), pageFile);
    EXPECT_GT(total, 0);
    EXPECT_GT(available, 0);
    EXPECT_LE(available, total);
    EXPECT_NEAR(machine::FormatMegabytes(static_cast<double>(status.ullAvailPhys)), available, total / 10);
    EXPECT_DOUBLE_EQ(total + pageFile, inTotal);
    EXPECT_GE(percent, 0);
    EXPECT_LE(percent, 100);
    EXPECT_EQ(std::round(percent), percent);
}

// --- Up-time ---------------------------------------------------------------

TEST(MachineUpTime, RunningAndStarted) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetTickCount64)>("kernel32.dll", "GetTickCount64", &FakeTicks64);
    scope.Replace<decltype(&::GetLocalTime)>("kernel32.dll", "GetLocalTime", &FakeLocalTime);
    auto machine = NewMachine();
    ticks64 = 90ull * 60 * 1000;  // 90 minutes
    double running = 0;
    VARIANT_BOOL seconds = VARIANT_TRUE, hours = VARIANT_FALSE;
    EXPECT_EQ(S_OK, machine->Running(&hours, &running));
    EXPECT_EQ(1.5, running);
    EXPECT_EQ(S_OK, machine->Running(&seconds, &running));
    EXPECT_EQ(5400.0, running);
    EXPECT_EQ(S_OK, machine->Running(nullptr, &running));
    EXPECT_EQ(1.5, running);
    DATE started = 0, expected = 0;
    SYSTEMTIME at{2026, 12, 2, 8, 10, 30, 0, 0};
    SystemTimeToVariantTime(&at, &expected);
    EXPECT_EQ(S_OK, machine->Started(&started));
    EXPECT_NEAR(expected, started, 1e-9);

    // Past 24.8 days the count stays positive; past 49.7 it keeps counting.
    ticks64 = 60ull * 24 * 3600 * 1000;
    EXPECT_EQ(S_OK, machine->Running(&hours, &running));
    EXPECT_EQ(1440.0, running);
    const LateCall call = CallMethod(machine.As<IDispatch>().Get(), L"Running");
    EXPECT_EQ(1440, LongOf(call.result));
}

TEST(MachineUpTime, OlderSystemsCountInThirtyTwoBits) {
    SubstituteScope scope;
    scope.Remove("kernel32.dll", "GetTickCount64");
    scope.Replace<decltype(&::GetTickCount)>("kernel32.dll", "GetTickCount", &FakeTicks32);
    ticks32 = 0xF0000000u;  // beyond 2^31 ms: still a positive up-time
    double running = 0;
    VARIANT_BOOL seconds = VARIANT_TRUE;
    EXPECT_EQ(S_OK, NewMachine()->Running(&seconds, &running));
    EXPECT_DOUBLE_EQ(4026531.84, running);
    EXPECT_FALSE(TakeErrorInfo().present);
}

// --- Directories -----------------------------------------------------------

TEST(MachineDirectories, SpecialDirectoriesEndInOneSeparator) {
    char windows[MAX_PATH] = {}, system[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    GetTempPathA(MAX_PATH, temp);
    auto machine = NewMachine();
    struct Row { DIR_TYPE which; std::wstring expected; } rows[] = {
        {dirWINDOWS, Widen(windows) + L"\\"}, {dirSYSTEM, Widen(system) + L"\\"}, {dirTEMP, Widen(temp)},
        {static_cast<DIR_TYPE>(7), L""}, {static_cast<DIR_TYPE>(-1), L""}};
    for (Row& row : rows) {
        Bstr path;
        EXPECT_EQ(S_OK, machine->Directory(&row.which, path.Put()));
        EXPECT_EQ(row.expected, path.View());
    }
    EXPECT_EQ(L'\\', rows[2].expected.back());
    EXPECT_NE(L'\\', rows[2].expected[rows[2].expected.size() - 2]);
    EXPECT_EQ(Widen(windows) + L"\\", TextOf(CallMethod(machine.As<IDispatch>().Get(), L"Directory", {LongValue(0)}).result));
}

TEST(MachineDirectories, FailedOrTooLongPathGivesEmptyText) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetTempPathA)>("kernel32.dll", "GetTempPathA", &FakeTempPath);
    auto machine = NewMachine();
    DIR_TYPE temp = dirTEMP;
    for (UINT length : {0u, 255u, 300u}) {
        tempLength = length;
        Bstr path(L"stale");
        EXPECT_EQ(S_OK, machine->Directory(&temp, path.Put()));
        EXPECT_TRUE(path.Empty()) << length;
    }
    tempLength = 10;
    Bstr path;
    EXPECT_EQ(S_OK, machine->Directory(&temp, path.Put()));
    EXPECT_EQ(L"xxxxxxxxxx\\", path.View());
}

// --- Drives ----------------------------------------------------------------

TEST(MachineDrives, LiveDriveCFigures) {
    DWORD sectors = 0, bytes = 0, free = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &sectors, &bytes, &free, &total));
    auto machine = NewMachine();
    RefText drive(L"C");
    double size = 0, available = 0;
    ASSERT_EQ(S_OK, machine->DriveMBSize(drive.Ref(), &size));
    EXPECT_EQ(L"C:\\", drive.View());
    EXPECT_DOUBLE_EQ(machine::RoundHalfAway(double(sectors) * bytes / 1048576.0 * total, 2), size);
    ASSERT_EQ(S_OK, machine->DriveMBFree(nullptr, &available));
    EXPECT_GT(size, 0);
    EXPECT_GT(available, 0);
    EXPECT_LE(available, size);
    for (double figure : {size, available}) EXPECT_NEAR(std::round(figure * 100), figure * 100, 1e-6);

    DRIVE_TYPE type{};
    RefText letter(L"c");
    EXPECT_EQ(S_OK, machine->DriveType(letter.Ref(), &type));
    EXPECT_EQ(DRIVE_FIXED, type);
    EXPECT_EQ(L"c:\\", letter.View());

    char label[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeInformationA("C:\\", label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    Variant name;
    EXPECT_EQ(S_OK, machine->DriveName(nullptr, name.Get()));
    EXPECT_EQ(VT_BSTR, name.Type());
    EXPECT_EQ(Widen(label), TextOf(name));
}

TEST(MachineDrives, LateBoundDefaultsAndWrittenBackVariables) {
    auto machine = NewMachine();
    IDispatch* late = machine.As<IDispatch>().Get();
    double size = 0;
    ASSERT_EQ(S_OK, machine->DriveMBSize(nullptr, &size));
    // Left out: the default drive, passed as a reference of its own.
    LateCall omitted = CallMethod(late, L"DriveMBSize");
    ASSERT_EQ(S_OK, omitted.hr);
    EXPECT_EQ(size, V_R8(omitted.result.Get()));
    EXPECT_EQ(VT_EMPTY != CallMethod(late, L"DriveName").result.Type(), true);
    // A script variable passed by reference sees the normalised text.
    Variant variable = TextValue(L"c");
    Variant reference;
    V_VT(reference.Put()) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(reference.Get()) = variable.Get();
    LateCall byReference = CallMethod(late, L"DriveMBSize", {reference});
    V_VT(reference.Get()) = VT_EMPTY;  // the reference owns nothing
    ASSERT_EQ(S_OK, byReference.hr);
    EXPECT_EQ(size, V_R8(byReference.result.Get()));
    EXPECT_EQ(L"c:\\", TextOf(variable));
    // A variable of another type gets a converted copy.
    Variant number = LongValue(2);
    V_VT(reference.Put()) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(reference.Get()) = number.Get();
    LateCall converted = CallMethod(late, L"Directory", {reference});
    V_VT(reference.Get()) = VT_EMPTY;
    EXPECT_EQ(S_OK, converted.hr);
    EXPECT_EQ(L'\\', TextOf(converted.result).back());
    EXPECT_EQ(VT_I4, number.Type());
}

TEST(MachineDrives, UnusableDriveTextsGiveThePlainResults) {
    DWORD present = GetLogicalDrives();
    wchar_t missing[2] = {0, 0};
    for (int letter = 25; letter >= 3; --letter)
        if (!(present & (1u << letter))) {
            missing[0] = static_cast<wchar_t>(L'A' + letter);
            break;
        }
    ASSERT_NE(0, missing[0]);
    const std::wstring texts[] = {missing, L"1", L"?", L"*:", L"", std::wstring(L"C:\\\0x", 5), std::wstring(40000, L'C'),
                                  L"\\\\nosuchserver\\share\\"};
    auto machine = NewMachine();
    for (const std::wstring& text : texts) {
        RefText drive(text);
        double megabytes = -1;
        EXPECT_EQ(S_OK, machine->DriveMBFree(drive.Ref(), &megabytes));
        EXPECT_EQ(0.0, megabytes);
        EXPECT_EQ(S_OK, machine->DriveMBSize(drive.Ref(), &megabytes));
        EXPECT_EQ(0.0, megabytes);
        Variant name = TextValue(L"stale");
        EXPECT_EQ(S_OK, machine->DriveName(drive.Ref(), name.Put()));
        EXPECT_EQ(VT_EMPTY, name.Type());
        EXPECT_NE(0, ErrorCode(machine.Get()));
        DRIVE_TYPE type{};
        EXPECT_EQ(S_OK, machine->DriveType(drive.Ref(), &type));
        EXPECT_EQ(DRIVE_DOESNT_EXIST, type) << text.size();
    }
    EXPECT_FALSE(TakeErrorInfo().present);
}

TEST(MachineDrives, FiguresFromTheDiskAnswer) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetDiskFreeSpaceA)>("kernel32.dll", "GetDiskFreeSpaceA", &FakeDiskFreeSpace);
    scope.Replace<decltype(&::SetThreadErrorMode)>("kernel32.dll", "SetThreadErrorMode", &FakeThreadErrorMode);
    auto machine = NewMachine();
    diskAnswer = TRUE;
    errorMode = SEM_NOGPFAULTERRORBOX;
    sectorsPerCluster = 8, bytesPerSector = 512, freeClusters = 50000, totalClusters = 0x90000000u;
    double free = 0, size = 0;
    EXPECT_EQ(S_OK, machine->DriveMBFree(nullptr, &free));
    EXPECT_EQ("C:\\", diskAsked);
    EXPECT_EQ(195.31, free);
    EXPECT_EQ(S_OK, machine->DriveMBSize(nullptr, &size));
    EXPECT_EQ(9437184.0, size);  // 2^31 clusters and more stay positive
    sectorsPerCluster = 0x10000, bytesPerSector = 0x10000, freeClusters = 1;  // 4 GiB clusters
    EXPECT_EQ(S_OK, machine->DriveMBFree(nullptr, &free));
    EXPECT_EQ(4096.0, free);

    diskAnswer = FALSE;
    RefText drive(L"a");
    EXPECT_EQ(S_OK, machine->DriveMBFree(drive.Ref(), &free));
    EXPECT_EQ(0.0, free);
    EXPECT_EQ(L"a:\\", drive.View());
    EXPECT_EQ("a:\\", diskAsked);
    // No request to insert a medium while asking; the caller's mode afterwards.
    EXPECT_EQ(static_cast<DWORD>(SEM_FAILCRITICALERRORS), errorModeWhileAsked);
    EXPECT_EQ(static_cast<DWORD>(SEM_NOGPFAULTERRORBOX), errorMode);
    scope.Remove("kernel32.dll", "GetDiskFreeSpaceA");
    EXPECT_EQ(S_OK, machine->DriveMBSize(nullptr, &size));
    EXPECT_EQ(0.0, size);
    EXPECT_FALSE(TakeErrorInfo().present);
}

TEST(MachineDrives, NameAndTypeOverSubstitutes) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetVolumeInformationA)>("kernel32.dll", "GetVolumeInformationA", &FakeVolume);
    scope.Replace<decltype(&::GetDriveTypeA)>("kernel32.dll", "GetDriveTypeA", &FakeDriveType);
    auto machine = NewMachine();
    RefText drive(L"C");
    Variant name;
    EXPECT_EQ(S_OK, machine->DriveName(drive.Ref(), name.Get()));
    EXPECT_EQ(L"SYSTEM", TextOf(name));
    EXPECT_EQ(L"C:\\", drive.View());
    EXPECT_EQ("C:\\", volumeAsked);

    struct Row { const wchar_t *given, *written; } rows[] = {
        {L"E", L"E:\\"}, {L"E:", L"E:\\"}, {L"C:/", L"C:/"}, {L"C:/WINNT", L"C:/WINNT/"}, {L"C:\\Windows", L"C:\\Windows\\"}};
    for (const Row& row : rows) {
        RefText text(row.given);
        DRIVE_TYPE type{};
        EXPECT_EQ(S_OK, machine->DriveType(text.Ref(), &type));
        EXPECT_EQ(DRIVE_CDROM, type);
        EXPECT_EQ(row.written, text.View());
        EXPECT_EQ(std::string(text.View().begin(), text.View().end()), driveTypeAsked);
    }
    EXPECT_EQ(0, ErrorCode(machine.Get()));
    DRIVE_TYPE type{};
    EXPECT_EQ(E_POINTER, machine->DriveType(nullptr, &type));
}

}  // namespace
