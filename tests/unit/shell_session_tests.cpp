// The shell, sound, window and timing members of the utilities class and
// the shell and session members of the machine-information class, with
// every call that would show, launch, play or end something substituted.
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>
#include <sql.h>
#include <wininet.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "errors.h"
#include "late_bound.h"
#include "module.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

ComPtr<_clsKvOrviUtilitesA> NewUtilities() {
    return CreateThroughFactory<_clsKvOrviUtilitesA>(__uuidof(clsKvOrviUtilitesA));
}
ComPtr<_clsKvOrviUtilitesWinInfoA> NewMachine() {
    return CreateThroughFactory<_clsKvOrviUtilitesWinInfoA>(__uuidof(clsKvOrviUtilitesWinInfoA));
}

// --- ShellEx ---------------------------------------------------------------

struct ShellCall {
    std::string operation, file, parameters, folder;
    int show = -1;
    int calls = 0;
} shellCall;
LONG_PTR shellAnswer = 42;
HINSTANCE WINAPI FakeShellExecute(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
    shellCall = {operation ? operation : "", file ? file : "", parameters ? parameters : "", folder ? folder : "", show,
                 shellCall.calls + 1};
    return reinterpret_cast<HINSTANCE>(shellAnswer);
}

class ShellEx : public testing::Test {
protected:
    void SetUp() override {
        shellCall = {};
        shellAnswer = 42;
        scope.Replace<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA", &FakeShellExecute);
    }
    VARIANT_BOOL Launch(const wchar_t* file, EShellShowConstants show, const wchar_t* parameters = L"",
                        const wchar_t* folder = L"") {
        Bstr name(file), arguments(parameters), directory(folder), operation(L"open");
        BSTR operationText = operation.Detach();
        long owner = 0;
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ(S_OK, utilities->ShellEx(name.Get(), show, arguments.Get(), directory.Get(), &operationText, &owner, &result));
        EXPECT_EQ(L"open", Bstr::ViewOf(operationText));
        SysFreeString(operationText);
        return result;
    }
    SubstituteScope scope;
    ComPtr<_clsKvOrviUtilitesA> utilities = NewUtilities();
};

TEST_F(ShellEx, ShowStateRules) {
    EXPECT_EQ(VARIANT_TRUE, Launch(L"C:\\docs\\readme.txt", essSW_MAXIMIZE));
    EXPECT_EQ(1, shellCall.show);  // a document without parameters or folder: shown normally
    EXPECT_EQ("open", shellCall.operation);
    EXPECT_EQ("", shellCall.parameters);
    Launch(L"C:\\tools\\Setup.Exe", essSW_MAXIMIZE, L"/quiet");
    EXPECT_EQ(0, shellCall.show);  // a program with parameters: hidden
    EXPECT_EQ("/quiet", shellCall.parameters);
    Launch(L"C:\\docs\\readme.txt", essSW_MINIMIZE, L"", L"C:\\docs");
    EXPECT_EQ(6, shellCall.show);
    EXPECT_EQ("C:\\docs", shellCall.folder);
}

TEST_F(ShellEx, RefusalIsFalseWithTheReasonOnTheThread) {
    shellAnswer = 2;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(VARIANT_FALSE, Launch(L"C:\\nowhere\\missing.doc", essSW_SHOWDEFAULT));
    ErrorReport report = TakeErrorInfo();
    ASSERT_TRUE(report.present);
    EXPECT_EQ(L"File not found", report.description);
    EXPECT_GE(report.source.size(), 7u);
    EXPECT_EQ(L".GShell", report.source.substr(report.source.size() - 7));
    EXPECT_EQ(53, report.number);

    shellAnswer = 11;
    EXPECT_EQ(VARIANT_FALSE, Launch(L"bad.exe", essSW_SHOWDEFAULT));
    report = TakeErrorInfo();
    EXPECT_EQ(static_cast<long>(0x80040423), report.number);
    EXPECT_EQ(L"The executable file is invalid or corrupt", report.description);
}

TEST_F(ShellEx, NamesPastWhatTheShellHoldsNeverReachIt) {
    // Longer names crash the shell (about 1,000 characters) or hang it (10 MB).
    struct Row { std::size_t length; int calls; } rows[] = {{259, 1}, {260, 0}, {1000, 0}, {10 << 20, 0}};
    for (const Row& row : rows) {
        shellCall = {};
        shellAnswer = 2;
        const std::wstring name(row.length, L'n');
        EXPECT_EQ(VARIANT_FALSE, Launch(name.c_str(), essSW_SHOWDEFAULT)) << row.length;
        EXPECT_EQ(row.calls, shellCall.calls) << row.length;
        const ErrorReport report = TakeErrorInfo();
        EXPECT_EQ(53, report.number) << row.length;
        EXPECT_EQ(L"File not found", report.description);
    }
}

TEST_F(ShellEx, LateBoundWithDefaults) {
    shellAnswer = 2;
    LateCall call = CallMethod(utilities.As<IDispatch>().Get(), L"ShellEx", {TextValue(L"C:\\nowhere\\missing.doc")});
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(call.result.Get()));
    EXPECT_EQ("open", shellCall.operation);
    EXPECT_EQ(1, shellCall.show);
    EXPECT_EQ(53, TakeErrorInfo().number);
}

TEST(ShellExLive, MissingDocumentUnderTheRealShell) {
    auto utilities = NewUtilities();
    Bstr name(L"C:\\no such folder\\no such file.txt"), empty;
    BSTR operation = SysAllocString(L"open");
    long owner = 0;
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->ShellEx(name.Get(), essSW_SHOWDEFAULT, empty.Get(), empty.Get(), &operation, &owner, &result));
    SysFreeString(operation);
    EXPECT_EQ(VARIANT_FALSE, result);
    const ErrorReport report = TakeErrorInfo();
    EXPECT_TRUE(report.number == 53 || report.number == 76) << report.number.value_or(-1);
}

// --- Timing, windows, addresses ---------------------------------------------

std::vector<DWORD> sleeps;
void WINAPI FakeSleep(DWORD milliseconds) { sleeps.push_back(milliseconds); }

TEST(Wait, MillisecondsRoundedDownAndNegativeDurationsSkipped) {
    SubstituteScope scope;
    scope.Replace<decltype(&::Sleep)>("kernel32.dll", "Sleep", &FakeSleep);
    sleeps.clear();
    auto utilities = NewUtilities();
    VARIANT_BOOL inMilliseconds = VARIANT_FALSE, result = VARIANT_FALSE;
    EXPECT_EQ(S_OK, utilities->Wait(0.7f, &inMilliseconds, &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    EXPECT_EQ(S_OK, utilities->Wait(1.5f, &inMilliseconds, &result));
    EXPECT_EQ(S_OK, utilities->Wait(-2.0f, &inMilliseconds, &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    inMilliseconds = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->Wait(250.0f, &inMilliseconds, &result));
    EXPECT_EQ((std::vector<DWORD>{699, 1500, 250}), sleeps);
    inMilliseconds = VARIANT_FALSE;
    EXPECT_EQ(ErrorHResult(6), utilities->Wait(3e6f, &inMilliseconds, &result));
    // Late-bound with the optional left out: seconds.
    sleeps.clear();
    EXPECT_EQ(S_OK, CallMethod(utilities.As<IDispatch>().Get(), L"Wait", {LongValue(2)}).hr);
    EXPECT_EQ((std::vector<DWORD>{2000}), sleeps);
}

struct WindowPosition {
    HWND window, after;
    UINT flags;
};
std::vector<WindowPosition> positions;
BOOL WINAPI FakeSetWindowPos(HWND window, HWND after, int, int, int, int, UINT flags) {
    positions.push_back({window, after, flags});
    return FALSE;
}

TEST(FormOnTop, TopmostAndBackKeepingPlaceAndSize) {
    SubstituteScope scope;
    scope.Replace<decltype(&::SetWindowPos)>("user32.dll", "SetWindowPos", &FakeSetWindowPos);
    positions.clear();
    auto utilities = NewUtilities();
    long window = 0x1234;
    VARIANT_BOOL onTop = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->FormOnTop(&window, &onTop));
    onTop = VARIANT_FALSE;
    EXPECT_EQ(S_OK, utilities->FormOnTop(&window, &onTop));
    ASSERT_EQ(2u, positions.size());
    EXPECT_EQ(reinterpret_cast<HWND>(0x1234), positions[0].window);
    EXPECT_EQ(HWND_TOPMOST, positions[0].after);
    EXPECT_EQ(HWND_NOTOPMOST, positions[1].after);
    EXPECT_EQ(3u, positions[0].flags);
}

// A handle with its top bit set (above 2^31 read unsigned) reaches the
// system widened with its sign, in both bitnesses. A form may give its HDC
// as a Long, as the same 32 bits unsigned, as a 64-bit host's integer or as
// a Double; past 32 bits it is an overflow.
HANDLE seenHandle = nullptr;
BOOL WINAPI SeeWindow(HWND window, HWND, int, int, int, int, UINT) {
    seenHandle = window;
    return TRUE;
}
BOOL WINAPI SeeIconContext(HDC context, int, int, HICON) {
    seenHandle = context;
    return TRUE;
}
int WINAPI SeeCapsContext(HDC context, int) {
    seenHandle = context;
    return 4;
}

TEST(Handles, WithTheTopBitSetWidenWithTheirSign) {
    constexpr long high = static_cast<long>(0x80001234u);
    const HANDLE widened = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(high));
    SubstituteScope scope;
    scope.Replace<decltype(&::SetWindowPos)>("user32.dll", "SetWindowPos", &SeeWindow);
    scope.Replace<decltype(&::DrawIcon)>("user32.dll", "DrawIcon", &SeeIconContext);
    scope.Replace<decltype(&::GetDeviceCaps)>("gdi32.dll", "GetDeviceCaps", &SeeCapsContext);
    auto utilities = NewUtilities();
    auto machine = NewMachine();
    auto summary = CreateThroughFactory<_clsKvOrviInformationB>(__uuidof(clsKvOrviInformationB));

    long window = high;
    VARIANT_BOOL onTop = VARIANT_TRUE;
    seenHandle = nullptr;
    EXPECT_EQ(S_OK, utilities->FormOnTop(&window, &onTop));
    EXPECT_EQ(widened, seenHandle) << "FormOnTop";
    seenHandle = nullptr;
    EXPECT_EQ(S_OK, machine->DrawIcon(high, 0, 0, 1));
    EXPECT_EQ(widened, seenHandle) << "DrawIcon";

    const auto value = [](VARTYPE type, auto assign) {
        Variant made;
        VARIANT* raw = made.Put();
        V_VT(raw) = type;
        assign(*raw);
        return made;
    };
    const struct {
        const char* form;
        Variant hdc;
        HRESULT expected;
    } forms[] = {
        {"Long", LongValue(high), S_OK},
        {"unsigned", value(VT_UI4, [](VARIANT& v) { V_UI4(&v) = 0x80001234u; }), S_OK},
        {"64-bit, zero-extended", value(VT_I8, [](VARIANT& v) { V_I8(&v) = 0x80001234ll; }), S_OK},
        {"64-bit, sign-extended", value(VT_I8, [](VARIANT& v) { V_I8(&v) = static_cast<LONGLONG>(high); }), S_OK},
        {"Double", value(VT_R8, [](VARIANT& v) { V_R8(&v) = 2147488308.0; }), S_OK},
        {"past 32 bits", value(VT_R8, [](VARIANT& v) { V_R8(&v) = 4294967296.0; }), ErrorHResult(6)},
        {"NaN", value(VT_R8, [](VARIANT& v) { V_R8(&v) = std::numeric_limits<double>::quiet_NaN(); }), ErrorHResult(6)},
        {"infinity", value(VT_R8, [](VARIANT& v) { V_R8(&v) = -std::numeric_limits<double>::infinity(); }), ErrorHResult(6)},
    };
    for (const auto& form : forms) {
        FakeForm object(form.hdc);
        IDispatch* argument = &object;
        double colors = 0;
        long bits = 0;
        seenHandle = nullptr;
        EXPECT_EQ(form.expected, machine->get_MaxScreenColors(&argument, &colors)) << form.form;
        if (form.expected == S_OK) EXPECT_EQ(widened, seenHandle) << "MaxScreenColors, " << form.form;
        seenHandle = nullptr;
        EXPECT_EQ(form.expected, summary->GetDisplayBitsPerPixel(&argument, &bits)) << form.form;
        if (form.expected == S_OK) EXPECT_EQ(widened, seenHandle) << "GetDisplayBitsPerPixel, " << form.form;
    }
}

TEST(DLLBaseAddress, ManyDrawsInRangeAndFormat) {
    auto utilities = NewUtilities();
    for (int draw = 0; draw < 300; ++draw) {
        Bstr address;
        const HRESULT hr = utilities->DLLBaseAddress(address.Put());
        if (hr == ErrorHResult(6)) continue;  // the rare draw beyond the signed range
        ASSERT_EQ(S_OK, hr);
        const std::wstring text(address.View());
        ASSERT_EQ(L"&H", text.substr(0, 2));
        ASSERT_EQ(L"0000", text.substr(text.size() - 4));
        ASSERT_EQ(std::wstring::npos, text.find_first_not_of(L"&H0123456789abcdef"));
        const unsigned long value = std::stoul(text.substr(2), nullptr, 16);
        EXPECT_GE(value, 0x01000000ul);
        EXPECT_LE(value, 0x7FFF0000ul);
    }
}

// --- Object fields and sounds -----------------------------------------------

TEST(ObjectFields, SameObjectOnEveryGetAndReplaceable) {
    auto utilities = NewUtilities();
    ComPtr<_clsKvOrviUtilitesWinInfoA> first, second;
    ASSERT_EQ(S_OK, utilities->get_MyComputer(first.Put()));
    ASSERT_EQ(S_OK, utilities->get_MyComputer(second.Put()));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Get(), second.Get());
    ComPtr<_clsKvOrviUtilitesLocaleA> locale;
    ASSERT_EQ(S_OK, utilities->get_MyLocale(locale.Put()));
    EXPECT_TRUE(locale);
    auto replacement = NewMachine();
    EXPECT_EQ(S_OK, utilities->putref_MyComputer(replacement.Get()));
    ASSERT_EQ(S_OK, utilities->get_MyComputer(second.Put()));
    EXPECT_EQ(replacement.Get(), second.Get());
    // Late-bound: the field reads as an object and takes Nothing.
    auto automation = utilities.As<IDispatch>();
    LateCall read = GetProperty(automation.Get(), L"MyComputer");
    EXPECT_EQ(VT_DISPATCH, read.result.Type());
    EXPECT_EQ(S_OK, Invoke(automation.Get(), L"MyComputer", DISPATCH_PROPERTYPUTREF, {ObjectValue(nullptr)}).hr);
    ASSERT_EQ(S_OK, utilities->get_MyComputer(second.Put()));
    EXPECT_FALSE(second);
}

std::vector<std::pair<std::string, UINT>> sounds;
BOOL WINAPI FakePlaySound(LPCSTR name, UINT flags) {
    sounds.emplace_back(name ? name : "", flags);
    return TRUE;
}

TEST(PlaySound, FoundInTheMediaFolderPlaysTheNameAsGiven) {
    SubstituteScope scope;
    scope.Replace<decltype(&::sndPlaySoundA)>("winmm.dll", "sndPlaySoundA", &FakePlaySound);
    sounds.clear();
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string media = std::string(windows) + "\\Media";
    CreateDirectoryA(media.c_str(), nullptr);
    const std::string wave = media + "\\orvi_test_chime.wav";
    HANDLE file = CreateFileA(wave.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    auto utilities = NewUtilities();
    BSTR name = SysAllocString(L"orvi_test_chime.wav");
    VARIANT_BOOL continuous = VARIANT_FALSE;
    EXPECT_EQ(S_OK, utilities->PlaySound(&name, &continuous));
    continuous = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->PlaySound(&name, &continuous));
    BSTR missing = SysAllocString(L"orvi_no_such_sound.wav");
    EXPECT_EQ(S_OK, utilities->PlaySound(&missing, &continuous));
    ASSERT_EQ(2u, sounds.size());
    EXPECT_EQ("orvi_test_chime.wav", sounds[0].first);
    EXPECT_EQ(1u, sounds[0].second);
    EXPECT_EQ(9u, sounds[1].second);

    EXPECT_EQ(S_OK, utilities->putref_MyComputer(nullptr));
    EXPECT_EQ(ErrorHResult(91), utilities->PlaySound(&name, &continuous));
    SysFreeString(name);
    SysFreeString(missing);
    DeleteFileA(wave.c_str());
}

// --- Shell and session actions of the machine-information class ------------

struct AboutCall {
    HWND owner;
    std::string application, product;
    HICON icon;
} aboutCall;
INT WINAPI FakeShellAbout(HWND owner, LPCSTR application, LPCSTR product, HICON icon) {
    aboutCall = {owner, application ? application : "", product ? product : "", icon};
    return 1;
}

TEST(ShellAboutBox, DefaultsComposedPassedAndWrittenBack) {
    SubstituteScope scope;
    scope.Replace<decltype(&::ShellAboutA)>("shell32.dll", "ShellAboutA", &FakeShellAbout);
    auto machine = NewMachine();
    Variant copyright;  // passed by reference, left empty
    V_VT(copyright.Put()) = VT_BSTR;
    V_BSTR(copyright.Get()) = SysAllocString(L"");
    VARIANT byReference;
    V_VT(&byReference) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&byReference) = &V_BSTR(copyright.Get());
    std::vector<Variant> arguments;
    arguments.emplace_back();
    VariantCopy(arguments.back().Put(), &byReference);
    LateCall call = CallMethod(machine.As<IDispatch>().Get(), L"AboutBox", {});
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(VT_EMPTY, call.result.Type());
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)), aboutCall.owner);
    EXPECT_EQ(nullptr, aboutCall.icon);
    EXPECT_EQ(0u, aboutCall.application.find("1.00.0084#"));
    EXPECT_NE(std::string::npos, aboutCall.product.find("trademark"));

    long owner = 77, icon = 0;
    BSTR text = SysAllocString(L"");
    BSTR product = SysAllocString(L"Mine");
    Variant result;
    EXPECT_EQ(S_OK, machine->AboutBox(&owner, &text, &product, &icon, result.Put()));
    EXPECT_EQ(0u, std::wstring(Bstr::ViewOf(text)).find(L"1.00.0084#"));  // composed text left with the caller
    EXPECT_EQ(L"Mine", Bstr::ViewOf(product));
    EXPECT_EQ("Mine", aboutCall.product);
    SysFreeString(text);
    SysFreeString(product);
}

TEST(APIFunctionPresent, RealAndMissingExports) {
    auto machine = NewMachine();
    auto present = [&](const wchar_t* function, const wchar_t* library) {
        Bstr name(function), dll(library);
        VARIANT_BOOL result = VARIANT_FALSE;
        EXPECT_EQ(S_OK, machine->APIFunctionPresent(name.Get(), dll.Get(), &result));
        return result == VARIANT_TRUE;
    };
    EXPECT_TRUE(present(L"GetTickCount", L"kernel32.dll"));
    EXPECT_FALSE(present(L"NoSuchExportAnywhere", L"kernel32.dll"));
    EXPECT_FALSE(present(L"GetTickCount", L"no_such_library_orvi.dll"));
    EXPECT_FALSE(present(L"", L""));
}

std::vector<std::string> commandLines;
WORD shownWith = 0;
BOOL WINAPI FakeCreateProcess(LPCSTR, LPSTR command, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                              LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process) {
    commandLines.emplace_back(command);
    shownWith = startup->wShowWindow;
    *process = PROCESS_INFORMATION{};
    process->dwProcessId = 4321;
    SetLastError(0);
    return TRUE;
}

BOOL WINAPI KeepHandle(HANDLE) { return TRUE; }

TEST(ControlPanel, AppletCommandLinesAndUnknownSettings) {
    SubstituteScope scope;
    scope.Replace<decltype(&::CreateProcessA)>("kernel32.dll", "CreateProcessA", &FakeCreateProcess);
    scope.Replace<decltype(&::CloseHandle)>("kernel32.dll", "CloseHandle", &KeepHandle);
    commandLines.clear();
    auto machine = NewMachine();
    long process = 0;
    ControlPanelTypes setting = cplDisplay;
    EXPECT_EQ(S_OK, machine->ControlPanel(&setting, &process));
    EXPECT_EQ(4321, process);
    setting = cplHardware;
    EXPECT_EQ(S_OK, machine->ControlPanel(&setting, &process));
    for (long unknown : {0L, 14L, -1L}) {
        setting = static_cast<ControlPanelTypes>(unknown);
        EXPECT_EQ(S_OK, machine->ControlPanel(&setting, &process));
        EXPECT_EQ(0, process);
    }
    EXPECT_EQ((std::vector<std::string>{"rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,0",
                                        "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl @1"}),
              commandLines);
    EXPECT_EQ(SW_SHOW, shownWith);
}

std::vector<UINT> exitFlags;
BOOL WINAPI FakeExitWindows(UINT flags, DWORD reason) {
    exitFlags.push_back(flags);
    EXPECT_EQ(0u, reason);
    return TRUE;
}

TEST(ShutDown, PassesTheTypeAsTheFlags) {
    SubstituteScope scope;
    scope.Replace<decltype(&::ExitWindowsEx)>("user32.dll", "ExitWindowsEx", &FakeExitWindows);
    exitFlags.clear();
    auto machine = NewMachine();
    long result = 0;
    for (ShutdownType type : {Logoff, ByeBye, Reboot}) {
        EXPECT_EQ(S_OK, machine->ShutDown(&type, &result));
        EXPECT_NE(0, result);
    }
    EXPECT_EQ((std::vector<UINT>{0, 1, 2}), exitFlags);
}

BOOL WINAPI FailingDrawIcon(HDC, int, int, HICON) {
    SetLastError(1400);
    return FALSE;
}

TEST(StockIcons, LoadedByIdentifierAndDrawn) {
    SKIP_WITHOUT_DISPLAY_CONTEXT();
    auto machine = NewMachine();
    long icon = 0;
    EXPECT_EQ(S_OK, machine->LoadSystemIcon(IDI_APPLICATION, &icon));
    EXPECT_NE(0, icon);
    EXPECT_EQ(S_OK, machine->LoadSystemIcon(static_cast<enStockIcons>(1), &icon));
    EXPECT_EQ(0, icon);

    SubstituteScope scope;
    scope.Replace<decltype(&::DrawIcon)>("user32.dll", "DrawIcon", &FailingDrawIcon);
    EXPECT_EQ(S_OK, machine->DrawIcon(0, 1, 2, 3));
    long code = 0;
    machine->get_SystemErrorCode(&code);
    EXPECT_EQ(1400, code);
}

BOOL WINAPI ConnectedThroughLan(LPDWORD flags, DWORD) {
    *flags = 2;
    return TRUE;
}

TEST(IsConnectedToInternet, FlagsLeftInConnectMode) {
    SubstituteScope scope;
    scope.Replace<decltype(&::InternetGetConnectedState)>("wininet.dll", "InternetGetConnectedState", &ConnectedThroughLan);
    auto machine = NewMachine();
    short mode = 0;
    VARIANT_BOOL connected = VARIANT_FALSE;
    EXPECT_EQ(S_OK, machine->IsConnectedToInternet(&mode, &connected));
    EXPECT_EQ(VARIANT_TRUE, connected);
    EXPECT_EQ(2, mode);
}

// --- ODBC system data sources ---------------------------------------------

std::vector<std::pair<std::string, std::string>> dataSources;
std::size_t nextSource = 0;
SQLRETURN SQL_API FakeDataSources(SQLHENV, SQLUSMALLINT direction, SQLCHAR* name, SQLSMALLINT, SQLSMALLINT* nameLength,
                                  SQLCHAR* description, SQLSMALLINT, SQLSMALLINT* descriptionLength) {
    if (direction == 32) nextSource = 0;  // the first system source
    if (nextSource >= dataSources.size()) return SQL_NO_DATA;
    const auto& [sourceName, sourceDescription] = dataSources[nextSource++];
    std::memcpy(name, sourceName.data(), sourceName.size());
    std::memcpy(description, sourceDescription.data(), sourceDescription.size());
    *nameLength = static_cast<SQLSMALLINT>(sourceName.size());
    *descriptionLength = static_cast<SQLSMALLINT>(sourceDescription.size());
    return SQL_SUCCESS;
}

SQLRETURN SQL_API FakeAllocEnv(SQLHENV* environment) {
    *environment = reinterpret_cast<SQLHENV>(1);
    return SQL_SUCCESS;
}
SQLRETURN SQL_API FakeFreeEnv(SQLHENV) { return SQL_SUCCESS; }

TEST(DSNs, SystemSourcesAsNameBarDescription) {
    SubstituteScope scope;
    scope.Replace<decltype(&::SQLAllocEnv)>("odbc32.dll", "SQLAllocEnv", &FakeAllocEnv);
    scope.Replace<decltype(&::SQLFreeEnv)>("odbc32.dll", "SQLFreeEnv", &FakeFreeEnv);
    scope.Replace<decltype(&::SQLDataSources)>("odbc32.dll", "SQLDataSources", &FakeDataSources);
    auto machine = NewMachine();

    dataSources = {{"Sales", "SQL Server"}, {"Orders", "Microsoft Access Driver (*.mdb)"}};
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(S_OK, machine->DSNs(&array));
    EXPECT_EQ((std::vector<std::wstring>{L"Sales | SQL Server", L"Orders | Microsoft Access Driver (*.mdb)"}), TextsOf(array));

    dataSources.clear();
    ASSERT_EQ(S_OK, machine->DSNs(&array));  // the caller's array is replaced
    EXPECT_EQ((std::vector<std::wstring>{L""}), TextsOf(array));
    SafeArrayDestroy(array);

    SAFEARRAYBOUND bound{3, 0};
    SAFEARRAY* fixed = SafeArrayCreate(VT_BSTR, 1, &bound);
    fixed->fFeatures |= FADF_FIXEDSIZE;
    EXPECT_EQ(ErrorHResult(10), machine->DSNs(&fixed));
    fixed->fFeatures &= ~FADF_FIXEDSIZE;
    SafeArrayDestroy(fixed);

    // Late-bound: a String array by reference, as Visual Basic passes one,
    // and a Variant by reference, as a script does, holding a Variant array.
    auto late = machine.As<IDispatch>();
    const DISPID id = DispatchIdOf(late.Get(), L"DSNs");
    dataSources = {{"Sales", "SQL Server"}};
    SAFEARRAY* strings = nullptr;
    VARIANT argument{};
    V_VT(&argument) = VT_BYREF | VT_ARRAY | VT_BSTR;
    V_ARRAYREF(&argument) = &strings;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    ASSERT_EQ(S_OK, late->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"Sales | SQL Server"}), TextsOf(strings));
    SafeArrayDestroy(strings);
    Variant variable;
    V_VT(variable.Put()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(variable.Get()) = SafeArrayCreateVector(VT_VARIANT, 0, 3);
    V_VT(&argument) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&argument) = variable.Get();
    ASSERT_EQ(S_OK, late->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, variable.Type());
    LONG upper = -1, first = 0;
    SafeArrayGetUBound(V_ARRAY(variable.Get()), 1, &upper);
    EXPECT_EQ(0, upper);
    Variant element;
    SafeArrayGetElement(V_ARRAY(variable.Get()), &first, element.Put());
    EXPECT_EQ(L"Sales | SQL Server", TextOf(element));
}

TEST(DSNs, WithoutADriverManagerOneEmptyElement) {
    SubstituteScope scope;
    scope.Remove("odbc32.dll", "SQLAllocEnv");
    auto machine = NewMachine();
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(S_OK, machine->DSNs(&array));
    EXPECT_EQ((std::vector<std::wstring>{L""}), TextsOf(array));
    SafeArrayDestroy(array);
}

}  // namespace

namespace {

TEST(ShortCut, WritesTheComponentShortcutOnTheCommonDesktop) {
    auto utilities = NewUtilities();
    EXPECT_EQ(S_OK, utilities->ShortCut());
    EXPECT_FALSE(TakeErrorInfo().present);

    ComPtr<IDispatch> shell = CreateObjectByProgId(L"WScript.Shell");
    const std::wstring desktop = TextOf(Invoke(shell.Get(), L"SpecialFolders", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                               {TextValue(L"AllUsersDesktop")}).result);
    const std::wstring link = desktop + L"\\Orvilib10.lnk";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(link.c_str())) << testing::PrintToString(link);

    std::wstring folder = module::FilePath();
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
    ComPtr<IShellLinkW> shortcut;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shortcut.PutVoid()));
    ASSERT_EQ(S_OK, shortcut.As<IPersistFile>()->Load(link.c_str(), STGM_READ));
    wchar_t text[MAX_PATH] = {};
    int icon = -1, show = 0;
    shortcut->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    EXPECT_EQ(0, _wcsicmp((folder + L"Orvilib10.exe").c_str(), text)) << testing::PrintToString(std::wstring(text));
    shortcut->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp(folder.c_str(), text)) << testing::PrintToString(std::wstring(text));
    shortcut->GetShowCmd(&show);
    // Style 4 is asked for; shell links keep only normal, maximized and
    // minimized, and store a plain "show" as normal.
    EXPECT_TRUE(show == 4 || show == SW_SHOWNORMAL) << show;
    shortcut->GetIconLocation(text, MAX_PATH, &icon);
    EXPECT_EQ(0, _wcsicmp((folder + L"Orvilib10.exe").c_str(), text)) << testing::PrintToString(std::wstring(text));
    EXPECT_EQ(0, icon);
    DeleteFileW(link.c_str());
}

}  // namespace
