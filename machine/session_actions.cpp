#include "session_actions.h"

#include <shellapi.h>
#include <sql.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <vector>

#include "ansi.h"
#include "com_ptr.h"
#include "errors.h"
#include "handles.h"
#include "system_function.h"

namespace orvi::session {
namespace {

const SystemFunction<decltype(&LoadLibraryA)> loadLibrary{"kernel32.dll", "LoadLibraryA"};
const SystemFunction<decltype(&GetProcAddress)> getProcAddress{"kernel32.dll", "GetProcAddress"};
const SystemFunction<decltype(&FreeLibrary)> freeLibrary{"kernel32.dll", "FreeLibrary"};
const SystemFunction<decltype(&CreateProcessA)> createProcess{"kernel32.dll", "CreateProcessA"};
const SystemFunction<decltype(&CloseHandle)> closeHandle{"kernel32.dll", "CloseHandle"};
const SystemFunction<decltype(&ExitWindowsEx)> exitWindows{"user32.dll", "ExitWindowsEx"};
const SystemFunction<decltype(&LoadIconA)> loadIcon{"user32.dll", "LoadIconA"};
const SystemFunction<decltype(&::DrawIcon)> drawIcon{"user32.dll", "DrawIcon"};
const SystemFunction<decltype(&ShellAboutA)> shellAbout{"shell32.dll", "ShellAboutA"};
const SystemFunction<SQLRETURN(SQL_API*)(SQLHENV*)> sqlAllocEnv{"odbc32.dll", "SQLAllocEnv"};
const SystemFunction<SQLRETURN(SQL_API*)(SQLHENV)> sqlFreeEnv{"odbc32.dll", "SQLFreeEnv"};
const SystemFunction<SQLRETURN(SQL_API*)(SQLHENV, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*)>
    sqlDataSources{"odbc32.dll", "SQLDataSources"};
const SystemFunction<decltype(&InternetGetConnectedState)> internetGetConnectedState{"wininet.dll", "InternetGetConnectedState"};

constexpr std::array<const wchar_t*, 13> kApplets = {
    L"sysdm.cpl,,0", L"inetcpl.cpl,,0", L"modem.cpl", L"appwiz.cpl,,1", L"sysdm.cpl @1", L"mmsys.cpl @1", L"netcpl.cpl",
    L"main.cpl @0", L"main.cpl @1", L"timedate.cpl", L"intl.cpl,,0", L"password.cpl", L"desk.cpl,,0"};

}  // namespace

bool FunctionPresent(std::wstring_view functionName, std::wstring_view libraryName) {
    const auto function = ExactAnsi(functionName), libraryFile = ExactAnsi(libraryName);
    if (!function || !libraryFile) return false;
    HMODULE library = loadLibrary(libraryFile->c_str());
    if (!library) return false;
    const FARPROC address = getProcAddress(library, function->c_str());
    freeLibrary(library);
    return address != nullptr;
}

std::wstring ControlPanelCommand(long setting) {
    if (setting < 1 || setting > static_cast<long>(kApplets.size())) return {};
    return std::wstring(L"rundll32.exe shell32.dll,Control_RunDLL ") + kApplets[static_cast<std::size_t>(setting - 1)];
}

long StartProcess(const std::wstring& commandLine) {
    std::string command = ToAnsi(commandLine);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    if (!createProcess(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        Raise(errFileNotFound, {}, L"File not found: " + commandLine);
    const DWORD error = LastSystemError();
    closeHandle(process.hThread);
    closeHandle(process.hProcess);
    SetLastError(error);
    CaptureLastSystemError();
    return static_cast<long>(process.dwProcessId);
}

long ExitSession(long exitType) { return exitWindows(static_cast<UINT>(exitType), 0); }

long LoadStockIcon(long stockIcon) {
    long icon = 0;
    Attempt([&] {
        icon = static_cast<long>(reinterpret_cast<LONG_PTR>(loadIcon(nullptr, MAKEINTRESOURCEA(stockIcon & 0xFFFF))));
    });
    return icon;
}

void DrawIconAt(long deviceContext, long x, long y, long icon) {
    drawIcon(HandleFrom<HDC>(deviceContext), static_cast<int>(x), static_cast<int>(y), HandleFrom<HICON>(icon));
}

void ListSystemDataSources(SAFEARRAY** sources) {
    if (!sources) Raise(errInvalidCall);
    std::vector<std::wstring> entries;
    SQLHENV environment = SQL_NULL_HENV;
    Attempt([&] { sqlAllocEnv(&environment); });
    if (environment != SQL_NULL_HENV) {
        Attempt([&] {
            constexpr SQLSMALLINT kBuffer = 1024;
            SQLUSMALLINT direction = 32;  // SQL_FETCH_FIRST_SYSTEM: system sources only
            for (;;) {
                std::string name(kBuffer, ' '), description(kBuffer, ' ');
                SQLSMALLINT nameLength = 0, descriptionLength = 0;
                const SQLRETURN status = sqlDataSources(environment, direction, reinterpret_cast<SQLCHAR*>(name.data()), kBuffer,
                                                        &nameLength, reinterpret_cast<SQLCHAR*>(description.data()), kBuffer,
                                                        &descriptionLength);
                if (status != SQL_SUCCESS) break;
                name.resize(static_cast<std::size_t>(std::clamp<SQLSMALLINT>(nameLength, 0, kBuffer - 1)));
                description.resize(static_cast<std::size_t>(std::clamp<SQLSMALLINT>(descriptionLength, 0, kBuffer - 1)));
                if (name.find_first_not_of(' ') != std::string::npos)
                    entries.push_back(FromAnsi(name) + L" | " + FromAnsi(description));
                direction = SQL_FETCH_NEXT;
            }
        });
        Attempt([&] { sqlFreeEnv(environment); });
    }
    if (entries.empty()) entries.emplace_back();

    // The caller's array takes the new contents; a fixed or locked one cannot.
    SAFEARRAY* existing = *sources;
    if (existing && (existing->fFeatures & (FADF_FIXEDSIZE | FADF_STATIC | FADF_EMBEDDED) || existing->cLocks > 0))
        Raise(errArrayLocked);
    SAFEARRAYBOUND bound{static_cast<ULONG>(entries.size()), 0};
    SAFEARRAY* filled = SafeArrayCreate(VT_BSTR, 1, &bound);
    if (!filled) throw std::bad_alloc();
    for (LONG index = 0; index < static_cast<LONG>(entries.size()); ++index) {
        Bstr text(entries[static_cast<std::size_t>(index)]);
        SafeArrayPutElement(filled, &index, text.Get());
    }
    if (existing) SafeArrayDestroy(existing);
    *sources = filled;
}

bool ConnectedToInternet(short* connectMode) {
    DWORD flags = 0;
    const BOOL connected = internetGetConnectedState(&flags, 0);
    if (connectMode) *connectMode = static_cast<short>(flags);
    return connected != FALSE;
}

void ShowShellAbout(long ownerWindow, const std::wstring& applicationText, const std::wstring& productInfo, long icon) {
    const std::string application = ToAnsi(applicationText), product = ToAnsi(productInfo);
    shellAbout(HandleFrom<HWND>(ownerWindow), application.c_str(), product.c_str(), HandleFrom<HICON>(icon));
}

}  // namespace orvi::session
