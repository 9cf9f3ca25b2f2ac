// clsKvOrviUtilitesWinInfoA: the local machine's names, display, memory,
// up-time, special directories and drives. Several members record the last
// system error in lastSystemError, which SystemErrorCode reports.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "ansi.h"
#include "com_object.h"
#include "application_properties.h"
#include "handles.h"
#include "late_bound.h"
#include "machine/pure/about_texts.h"
#include "machine/session_actions.h"
#include "machine/pure/figures.h"
#include "orvilib10_h.h"
#include "osinfo/os_version_query.h"
#include "pure/numeric.h"
#include "system_function.h"
#include "utilities/shell_routines.h"

using namespace orvi;
using orvi::machine::AppendPathSeparator;
using orvi::machine::FormatMegabytes;
using orvi::machine::NormaliseDrive;
using orvi::machine::RoundHalfAway;

namespace {
const SystemFunction<decltype(&::GetComputerNameA)> getComputerName{"kernel32.dll", "GetComputerNameA"};
const SystemFunction<decltype(&::GetUserNameA)> getUserName{"advapi32.dll", "GetUserNameA"};
const SystemFunction<decltype(&::GetDC)> getDC{"user32.dll", "GetDC"};
const SystemFunction<decltype(&::ReleaseDC)> releaseDC{"user32.dll", "ReleaseDC"};
const SystemFunction<decltype(&::GetSystemMetrics)> getSystemMetrics{"user32.dll", "GetSystemMetrics"};
const SystemFunction<decltype(&::GetDeviceCaps)> getDeviceCaps{"gdi32.dll", "GetDeviceCaps"};
const SystemFunction<UINT(WINAPI*)()> waveOutGetNumDevs{"winmm.dll", "waveOutGetNumDevs"};
const SystemFunction<decltype(&::GlobalMemoryStatusEx)> globalMemoryStatusEx{"kernel32.dll", "GlobalMemoryStatusEx"};
const SystemFunction<decltype(&::GlobalMemoryStatus)> globalMemoryStatus{"kernel32.dll", "GlobalMemoryStatus"};
const SystemFunction<decltype(&::GetTickCount64)> getTickCount64{"kernel32.dll", "GetTickCount64"};
const SystemFunction<decltype(&::GetTickCount)> getTickCount{"kernel32.dll", "GetTickCount"};
const SystemFunction<decltype(&::GetLocalTime)> getLocalTime{"kernel32.dll", "GetLocalTime"};
const SystemFunction<decltype(&::GetWindowsDirectoryA)> getWindowsDirectory{"kernel32.dll", "GetWindowsDirectoryA"};
const SystemFunction<decltype(&::GetSystemDirectoryA)> getSystemDirectory{"kernel32.dll", "GetSystemDirectoryA"};
const SystemFunction<decltype(&::GetTempPathA)> getTempPath{"kernel32.dll", "GetTempPathA"};
const SystemFunction<decltype(&::GetDiskFreeSpaceA)> getDiskFreeSpace{"kernel32.dll", "GetDiskFreeSpaceA"};
const SystemFunction<decltype(&::GetVolumeInformationA)> getVolumeInformation{"kernel32.dll", "GetVolumeInformationA"};
const SystemFunction<decltype(&::GetDriveTypeA)> getDriveType{"kernel32.dll", "GetDriveTypeA"};
const SystemFunction<BOOL(WINAPI*)(DWORD, LPDWORD)> setThreadErrorMode{"kernel32.dll", "SetThreadErrorMode"};

constexpr DWORD kNameBuffer = 255;
constexpr DWORD kPathBuffer = 255;
constexpr wchar_t kDefaultDrive[] = L"C:\\";

// The primary display's device context for the length of a member.
class ScreenContext {
public:
    ScreenContext() : dc(getDC(nullptr)) {}
    ~ScreenContext() {
        if (dc) Attempt([&] { releaseDC(nullptr, dc); });
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC Get() const { return dc; }

private:
    HDC dc;
};

// While a drive is read, a drive without its medium fails the call instead
// of asking the user to insert one (systems without per-thread error modes
// keep their own setting).
class QuietDriveErrors {
public:
    QuietDriveErrors() {
        quiet = Attempt([&] { setThreadErrorMode(SEM_FAILCRITICALERRORS, &previous); });
    }
    ~QuietDriveErrors() {
        if (quiet) Attempt([&] { setThreadErrorMode(previous, nullptr); });
    }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous = 0;
    bool quiet = false;
};

// The drive text for the system, or nothing when it names no drive the
// system could be asked about: the system would read an empty text as the
// current drive and one holding a NUL as a shorter name, and a character
// the code page cannot hold exactly could make it another drive or share.
std::optional<std::string> DriveForSystem(const std::wstring& drive) {
    if (drive.empty() || drive.find(L'\0') != std::wstring::npos) return std::nullopt;
    return ExactAnsi(drive);
}

// Milliseconds since the system started.
double UpTimeMilliseconds() {
    ULONGLONG ticks = 0;
    if (Attempt([&] { ticks = getTickCount64(); })) return static_cast<double>(ticks);
    return static_cast<double>(getTickCount());  // systems before Vista have only the 32-bit count
}

double RoundToHundredthsEven(double value) { return numeric::RoundHalfEven(value * 100.0) / 100.0; }

}  // namespace

class clsKvOrviUtilitesWinInfoA final : public ComObject<clsKvOrviUtilitesWinInfoA, _clsKvOrviUtilitesWinInfoA> {
public:
    void StartUp() {
        versionInfo = QueryOsVersion();
        majorVersion = static_cast<long>(versionInfo.dwMajorVersion);
        minorVersion = static_cast<long>(versionInfo.dwMinorVersion);
        platformId = static_cast<long>(versionInfo.dwPlatformId);
    }

    // Identity and display.
    STDMETHODIMP get_name(BSTR* result) override {
        return Produce(result, [&] { return Bstr(ReadName(getComputerName)); });
    }
    STDMETHODIMP get_CurrentUser(BSTR* result) override {
        return Produce(result, [&] { return Bstr(ReadName(getUserName)); });
    }
    STDMETHODIMP get_MaxScreenColors(IDispatch** frmForm, double* result) override {
        return Produce(result, [&] {
            lastSystemError = 0;
            if (!frmForm || !*frmForm) Raise(errObjectNotSet);
            const HDC handle = HandleFrom<HDC>(HandleValueOf(CallByName(*frmForm, L"HDC", DISPATCH_PROPERTYGET), errInvalidNull));
            const std::int64_t bits = getDeviceCaps(handle, BITSPIXEL);
            const std::int64_t planes = getDeviceCaps(handle, PLANES);
            lastSystemError = static_cast<long>(LastSystemError());
            const std::int64_t product = bits * planes;
            if (product < INT32_MIN || product > INT32_MAX) Raise(errOverflow);
            const double colors = std::ldexp(1.0, static_cast<int>(product));  // 2 to the power, exactly
            if (!std::isfinite(colors)) Raise(errOverflow);
            return colors;
        });
    }
    STDMETHODIMP get_OSVersion(OS_VERSION* result) override {
        return Produce(result, [&] {
            lastSystemError = 0;
            return static_cast<OS_VERSION>(machine::ClassifyOsVersion(majorVersion, minorVersion, platformId));
        });
    }
    STDMETHODIMP get_ScreenPixelWidth(short* result) override {
        return Produce(result, [&] { return ScreenPixels(SM_CXSCREEN, LOGPIXELSX); });
    }
    STDMETHODIMP get_ScreenPixelHeight(short* result) override {
        return Produce(result, [&] { return ScreenPixels(SM_CYSCREEN, LOGPIXELSY); });
    }
    STDMETHODIMP get_ScreenResolution(BSTR* result) override {
        return Produce(result, [&] {
            lastSystemError = 0;
            short width = 0, height = 0;
            Check(get_ScreenPixelWidth(&width));
            Check(get_ScreenPixelHeight(&height));
            return Bstr(numeric::IntegerText(width) + L"x" + numeric::IntegerText(height));
        });
    }
    STDMETHODIMP get_SystemErrorCode(long* result) override { return Get(result, lastSystemError); }
    STDMETHODIMP get_SoundCard(VARIANT_BOOL* result) override {
        return Produce(result, [&] { return waveOutGetNumDevs() > 0 ? VARIANT_TRUE : VARIANT_FALSE; });
    }

    // Shell and session actions.
    STDMETHODIMP AboutBox(long* hWndA, BSTR* Copyright, BSTR* ProductInfo, long* Icon, VARIANT* result) override {
        return Produce(result, [&] {
            about::VersionInformation version = VersionInformation();
            if (Copyright && Bstr::ViewOf(*Copyright).empty()) Replace(*Copyright, about::DefaultApplicationText(version));
            if (ProductInfo && Bstr::ViewOf(*ProductInfo).empty())
                Replace(*ProductInfo, about::DefaultProductInfo(version, shell::ComponentName()));
            session::ShowShellAbout(hWndA ? *hWndA : -1, std::wstring(Copyright ? Bstr::ViewOf(*Copyright) : std::wstring_view()),
                                    std::wstring(ProductInfo ? Bstr::ViewOf(*ProductInfo) : std::wstring_view()), Icon ? *Icon : 0);
            return Variant();
        });
    }
    STDMETHODIMP APIFunctionPresent(BSTR FunctionName, BSTR DLLName, VARIANT_BOOL* result) override {
        return Produce(result, [&] {
            return AsVariantBool(session::FunctionPresent(Bstr::ViewOf(FunctionName), Bstr::ViewOf(DLLName)));
        });
    }
    // Arranging windows is left to the shell; the member is kept for its callers.
    STDMETHODIMP CascadeWindows() override { return S_OK; }
    STDMETHODIMP ControlPanel(ControlPanelTypes* Setting, long* result) override {
        if (!Setting) return E_POINTER;
        return Produce(result, [&] {
            const std::wstring command = session::ControlPanelCommand(static_cast<long>(*Setting));
            const long process = command.empty() ? 0 : session::StartProcess(command);
            lastSystemError = static_cast<long>(LastSystemError());
            return process;
        });
    }
    STDMETHODIMP DSNs(SAFEARRAY** DSNArray) override {
        return Member([&] { session::ListSystemDataSources(DSNArray); });
    }
    STDMETHODIMP IsConnectedToInternet(short* ConnectMode, VARIANT_BOOL* result) override {
        return Produce(result, [&] { return AsVariantBool(session::ConnectedToInternet(ConnectMode)); });
    }
    STDMETHODIMP ShutDown(ShutdownType* ExitType, long* result) override {
        if (!ExitType) return E_POINTER;
        return Produce(result, [&] { return session::ExitSession(static_cast<long>(*ExitType)); });
    }
    STDMETHODIMP LoadSystemIcon(enStockIcons StockIcon, long* result) override {
        return Produce(result, [&] { return session::LoadStockIcon(static_cast<long>(StockIcon)); });
    }
    STDMETHODIMP DrawIcon(long HDC, long xPos, long yPos, long Icon) override {
        return Member([&] {
            Attempt([&] { session::DrawIconAt(HDC, xPos, yPos, Icon); });
            lastSystemError = static_cast<long>(LastSystemError());
        });
    }

    // Directories and drives.
    STDMETHODIMP Directory(DIR_TYPE* WhichDir, BSTR* result) override {
        if (!WhichDir) return E_POINTER;
        return Produce(result, [&] {
            char buffer[kPathBuffer] = {};
            UINT length = 0;
            switch (*WhichDir) {
            case dirWINDOWS: length = getWindowsDirectory(buffer, kPathBuffer); break;
            case dirSYSTEM: length = getSystemDirectory(buffer, kPathBuffer); break;
            case dirTEMP: length = getTempPath(kPathBuffer, buffer); break;
            default: break;
            }
            // A length that does not fit the buffer is the size the path would need.
            const std::wstring path = length < kPathBuffer ? BufferText(buffer, kPathBuffer, length) : std::wstring();
            return Bstr(AppendPathSeparator(path));
        });
    }
    STDMETHODIMP DriveMBFree(BSTR* Drive, double* result) override {
        return Produce(result, [&] { return DriveMegabytes(Drive, true); });
    }
    STDMETHODIMP DriveMBSize(BSTR* Drive, double* result) override {
        return Produce(result, [&] { return DriveMegabytes(Drive, false); });
    }
    STDMETHODIMP DriveName(BSTR* Drive, VARIANT* result) override {
        return Produce(result, [&] {
            lastSystemError = 0;
            const std::wstring drive = TakeDrive(Drive, false);
            Variant label;
            const auto name = DriveForSystem(drive);
            if (!name) {
                lastSystemError = ERROR_INVALID_NAME;
                return label;
            }
            char labelBuffer[kNameBuffer], fileSystemBuffer[kNameBuffer];
            std::memset(labelBuffer, ' ', sizeof labelBuffer);
            std::memset(fileSystemBuffer, ' ', sizeof fileSystemBuffer);
            DWORD serialNumber = 0, componentLength = 0, fileSystemFlags = 0;
            const QuietDriveErrors quiet;
            if (getVolumeInformation(name->c_str(), labelBuffer, kNameBuffer, &serialNumber, &componentLength,
                                     &fileSystemFlags, fileSystemBuffer, kNameBuffer)) {
                Bstr text(BufferText(labelBuffer, sizeof labelBuffer));
                V_VT(label.Put()) = VT_BSTR;
                V_BSTR(label.Get()) = text.Detach();
            } else {
                lastSystemError = static_cast<long>(LastSystemError());
            }
            return label;
        });
    }
    STDMETHODIMP DriveType(BSTR* Drive, ::DRIVE_TYPE* result) override {
        if (!Drive) return E_POINTER;
        return Produce(result, [&] {
            lastSystemError = 0;
            const std::wstring drive = TakeDrive(Drive, true);
            const auto name = DriveForSystem(drive);
            if (!name) {
                lastSystemError = ERROR_INVALID_NAME;
                return DRIVE_DOESNT_EXIST;
            }
            const UINT type = getDriveType(name->c_str());
            lastSystemError = static_cast<long>(LastSystemError());
            return static_cast<::DRIVE_TYPE>(type);
        });
    }

    // Memory, in megabytes.
    STDMETHODIMP MemoryAvailable(double* result) override {
        return Produce(result, [&] { return Sum(&clsKvOrviUtilitesWinInfoA::MemoryPageFile,
                                                &clsKvOrviUtilitesWinInfoA::MemoryAvailablePhysical); });
    }
    STDMETHODIMP MemoryAvailablePhysical(double* result) override {
        return Produce(result, [&] { return MemoryFigure(&MEMORYSTATUSEX::ullAvailPhys); });
    }
    STDMETHODIMP MemoryInTotal(double* result) override {
        return Produce(result, [&] { return Sum(&clsKvOrviUtilitesWinInfoA::MemoryTotalPhysical,
                                                &clsKvOrviUtilitesWinInfoA::MemoryPageFileSize); });
    }
    STDMETHODIMP MemoryPageFile(double* result) override {
        return Produce(result, [&] { return MemoryFigure(&MEMORYSTATUSEX::ullAvailPageFile); });
    }
    STDMETHODIMP MemoryPageFileSize(double* result) override {
        return Produce(result, [&] { return MemoryFigure(&MEMORYSTATUSEX::ullTotalPageFile); });
    }
    STDMETHODIMP MemoryPercentFree(double* result) override {
        return Produce(result, [&] {
            double available = 0, total = 0;
            Check(MemoryAvailable(&available));
            Check(MemoryInTotal(&total));
            if (total == 0) Raise(available == 0 ? errOverflow : errDivisionByZero);
            return RoundHalfAway(available / total * 100.0, 0);
        });
    }
    STDMETHODIMP MemoryTotalPhysical(double* result) override {
        return Produce(result, [&] { return MemoryFigure(&MEMORYSTATUSEX::ullTotalPhys); });
    }

    // Up-time.
    STDMETHODIMP Running(VARIANT_BOOL* InSeconds, double* result) override {
        return Produce(result, [&] {
            const bool inSeconds = InSeconds && *InSeconds != VARIANT_FALSE;
            const double seconds = UpTimeMilliseconds() / 1000.0;
            return inSeconds ? RoundToHundredthsEven(seconds) : RoundToHundredthsEven(seconds / 3600.0);
        });
    }
    STDMETHODIMP Started(DATE* result) override {
        return Produce(result, [&] {
            const double days = UpTimeMilliseconds() / 1000.0 / 60.0 / 60.0 / 24.0;
            SYSTEMTIME now{};
            getLocalTime(&now);
            now.wMilliseconds = 0;
            DATE today = 0;
            if (!SystemTimeToVariantTime(&now, &today)) Raise(errInvalidCall);
            return today - days;
        });
    }

private:
    // The component's own version texts, from the application-properties object.
    static about::VersionInformation VersionInformation() {
        ComPtr<IDispatch> properties = ApplicationProperties();
        auto text = [&](const wchar_t* name) {
            Variant value = CallByName(properties.Get(), name, DISPATCH_PROPERTYGET);
            Variant converted;
            Check(VariantChangeType(converted.Put(), value.Get(), 0, VT_BSTR));
            return std::wstring(Bstr::ViewOf(V_BSTR(converted.Get())));
        };
        auto number = [&](const wchar_t* name) {
            Variant value = CallByName(properties.Get(), name, DISPATCH_PROPERTYGET);
            Variant converted;
            Check(VariantChangeType(converted.Put(), value.Get(), 0, VT_I4));
            return static_cast<long>(V_I4(converted.Get()));
        };
        return {text(L"CompanyName"), text(L"ProductName"), text(L"LegalTrademarks"),
                number(L"Major"), number(L"Minor"), number(L"Revision")};
    }
    // Gives a caller's by-reference text a new value.
    static void Replace(BSTR& text, const std::wstring& value) {
        Bstr fresh(value);
        SysFreeString(text);
        text = fresh.Detach();
    }

    template <class Call>
    std::wstring ReadName(const Call& call) {
        lastSystemError = 0;
        char buffer[kNameBuffer];
        std::memset(buffer, ' ', sizeof buffer);
        DWORD size = kNameBuffer;
        if (!call(buffer, &size)) {
            lastSystemError = static_cast<long>(LastSystemError());
            return {};
        }
        return BufferText(buffer, sizeof buffer);
    }

    short ScreenPixels(int metric, int pixelsPerInchCapability) {
        lastSystemError = 0;
        std::int32_t pixelsPerInch = 0;
        {
            const ScreenContext screen;
            pixelsPerInch = getDeviceCaps(screen.Get(), pixelsPerInchCapability);
        }
        const machine::PixelFigure figure = machine::PixelsThroughTwips(getSystemMetrics(metric), pixelsPerInch);
        if (figure.error) Raise(figure.error);
        return figure.value;
    }

    double MemoryFigure(DWORDLONG MEMORYSTATUSEX::*field) {
        lastSystemError = 0;
        memoryStatus = MEMORYSTATUSEX{};
        memoryStatus.dwLength = sizeof memoryStatus;
        bool filled = false;
        if (!Attempt([&] { filled = globalMemoryStatusEx(&memoryStatus) != FALSE; }) || !filled) {
            // Systems before Windows 2000 have only the 32-bit record.
            MEMORYSTATUS basic{};
            globalMemoryStatus(&basic);
            memoryStatus.ullTotalPhys = basic.dwTotalPhys;
            memoryStatus.ullAvailPhys = basic.dwAvailPhys;
            memoryStatus.ullTotalPageFile = basic.dwTotalPageFile;
            memoryStatus.ullAvailPageFile = basic.dwAvailPageFile;
        }
        lastSystemError = static_cast<long>(LastSystemError());
        return FormatMegabytes(static_cast<double>(memoryStatus.*field));
    }

    using Figure = HRESULT (STDMETHODCALLTYPE clsKvOrviUtilitesWinInfoA::*)(double*);
    double Sum(Figure first, Figure second) {
        double a = 0, b = 0;
        Check((this->*first)(&a));
        Check((this->*second)(&b));
        return a + b;
    }

    // The caller's drive text (the default drive when left out), normalised
    // and written back to the caller.
    static std::wstring TakeDrive(BSTR* drive, bool withSeparator) {
        std::wstring text = NormaliseDrive(drive ? Bstr::ViewOf(*drive) : std::wstring_view(kDefaultDrive));
        if (withSeparator) text = AppendPathSeparator(text);
        if (drive) {
            Bstr rewritten(text);
            SysFreeString(*drive);
            *drive = rewritten.Detach();
        }
        return text;
    }

    // Free or total megabytes of a drive; a drive that cannot be read gives 0.
    static double DriveMegabytes(BSTR* drive, bool freeSpace) {
        double megabytes = 0;
        Attempt([&] {
            const std::wstring text = TakeDrive(drive, false);
            const auto name = DriveForSystem(text);
            if (!name) return;
            DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
            const QuietDriveErrors quiet;
            if (!getDiskFreeSpace(name->c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
                return;
            const double bytesPerCluster = static_cast<double>(std::uint64_t{sectorsPerCluster} * bytesPerSector);
            megabytes = RoundHalfAway(bytesPerCluster / 1024.0 / 1024.0 * (freeSpace ? freeClusters : totalClusters), 2);
        });
        return megabytes;
    }

    OSVERSIONINFOA versionInfo{};
    MEMORYSTATUSEX memoryStatus{};
    long majorVersion = 0;
    long minorVersion = 0;
    long platformId = 0;
    long lastSystemError = 0;
};

static const ClassRegistration<clsKvOrviUtilitesWinInfoA> registration;
