// Every class of the component under hostile use: created and released
// many times, and every member called late-bound with random arguments.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <mmsystem.h>
#include <shellapi.h>

#include "com_object.h"
#include "dispatch_arguments.h"
#include "dispatch_table.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

std::vector<const ClassEntry*> AllClasses() {
    std::vector<const ClassEntry*> classes;
    for (const ClassEntry* entry = FirstClass(); entry; entry = entry->next) classes.push_back(entry);
    return classes;
}

TEST(Robustness, CreatingAndReleasingEveryClassLeaksNothing) {
    DWORD handlesBefore = 0, handlesAfter = 0;
    // One round first, so lazily loaded system libraries are in place.
    for (const ClassEntry* entry : AllClasses()) {
        ComPtr<IDispatch> object;
        entry->create(IID_IDispatch, object.PutVoid());
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    for (const ClassEntry* entry : AllClasses()) {
        for (int round = 0; round < 10000; ++round) {
            ComPtr<IDispatch> object;
            ASSERT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid())) << testing::PrintToString(std::wstring(entry->progId));
        }
    }
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(handlesBefore, handlesAfter);
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

// Members that act on the session, launch programs, block, or write and
// delete files are left to their own tests: random arguments could name
// real places.
bool Excluded(const std::wstring& member) {
    static const wchar_t* const excluded[] = {
        L"ShutDown", L"ControlPanel", L"ShellEx", L"ShortCut", L"FileKill", L"FileWrite", L"FileCopy",
        L"FileCopyAPI", L"Wait", L"PlaySound", L"AboutBox", L"About", L"FormOnTop", L"DrawIcon",
        L"FileDirectories", L"FileFind", L"SocketsInitialize", L"GetIPAddress", L"GetIPHostName"};
    for (const wchar_t* name : excluded)
        if (member == name) return true;
    return false;
}

class RandomArguments {
public:
    explicit RandomArguments(unsigned seed) : random(seed) {}

    Variant Next() {
        Variant value;
        VARIANT* v = value.Put();
        switch (Pick(12)) {
        case 0: break;  // Empty
        case 1: V_VT(v) = VT_NULL; break;
        case 2: V_VT(v) = VT_I2; V_I2(v) = static_cast<SHORT>(PickInteger()); break;
        case 3: V_VT(v) = VT_I4; V_I4(v) = static_cast<LONG>(PickInteger()); break;
        case 4: V_VT(v) = VT_R8; V_R8(v) = PickDouble(); break;
        case 5: V_VT(v) = VT_BSTR; V_BSTR(v) = nullptr; break;
        case 6: V_VT(v) = VT_BSTR; V_BSTR(v) = RandomText(Pick(8)); break;
        case 7: V_VT(v) = VT_BSTR; V_BSTR(v) = RandomText(100000 + Pick(50000)); break;
        case 8: V_VT(v) = VT_DATE; V_DATE(v) = PickDouble(); break;
        case 9: V_VT(v) = VT_BOOL; V_BOOL(v) = Pick(2) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case 10: V_VT(v) = VT_DISPATCH; V_DISPATCH(v) = nullptr; break;
        default: V_VT(v) = VT_ERROR; V_ERROR(v) = DISP_E_PARAMNOTFOUND; break;
        }
        return value;
    }
    unsigned Pick(unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(random); }

private:
    long long PickInteger() {
        static const long long edges[] = {0, 1, -1, 2, 7, 14, 255, 256, 32767, -32768, 65535, 2147483647LL, -2147483647LL - 1};
        return Pick(3) ? edges[Pick(std::size(edges))] : static_cast<long long>(random()) - 0x7FFFFFFFLL;
    }
    double PickDouble() {
        static const double edges[] = {0.0, -0.0, 0.5, 2.5, -1.0, 1e308, -1e308, 1e-308, 2958465.9999, -657434.0,
                                       3e6, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
        return Pick(3) ? edges[Pick(std::size(edges))] : std::uniform_real_distribution<double>(-1e7, 1e7)(random);
    }
    BSTR RandomText(unsigned length) {
        static const wchar_t alphabet[] = L"abcXYZ019 \\/:*?.<>|\"'%&~\u00e9\u00df\u4e2d\uffff";
        std::wstring text;
        for (unsigned i = 0; i < length; ++i) text += alphabet[Pick(std::size(alphabet) - 1)];
        if (length && Pick(4) == 0) text[Pick(length)] = L'\0';
        return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    std::mt19937 random;
};

TEST(Robustness, RandomLateBoundCallsFailCleanly) {
    const char* rounds = std::getenv("ORVI_FUZZ_ROUNDS");
    const int roundsPerMember = rounds ? std::atoi(rounds) : 40;
    RandomArguments arguments(20261208);
    long calls = 0, failures = 0;
    for (const ClassEntry* entry : AllClasses()) {
        ComPtr<IDispatch> object;
        ASSERT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid()));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, 0, info.Put()));
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        for (UINT index = 0; index < attributes->cFuncs; ++index) {
            // Wine counts the dispatch side from the vtable size, which also
            // covers slots the type library does not list.
            FUNCDESC* function = nullptr;
            if (FAILED(info->GetFuncDesc(index, &function))) continue;
            Bstr name;
            info->GetDocumentation(function->memid, name.Put(), nullptr, nullptr, nullptr);
            const std::wstring member(name.View());
            const bool dispatchable = function->memid < 0x60000000 || function->memid >= 0x60020000;
            if (!Excluded(member) && dispatchable && function->funckind == FUNC_DISPATCH) {
                const WORD flags = function->invkind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET
                                   : function->invkind == INVOKE_PROPERTYPUT ? DISPATCH_PROPERTYPUT
                                   : function->invkind == INVOKE_PROPERTYPUTREF ? DISPATCH_PROPERTYPUTREF
                                                                              : DISPATCH_METHOD;
                for (int round = 0; round < roundsPerMember; ++round) {
                    std::vector<Variant> values;
                    const unsigned count = function->cParams + (arguments.Pick(4) == 0 ? 1 : 0);
                    for (unsigned i = 0; i < count; ++i) values.push_back(arguments.Next());
                    std::vector<VARIANT> raw;
                    for (auto it = values.rbegin(); it != values.rend(); ++it) raw.push_back(*it->Get());
                    DISPPARAMS params{raw.data(), nullptr, static_cast<UINT>(raw.size()), 0};
                    DISPID put = DISPID_PROPERTYPUT;
                    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                        params.rgdispidNamedArgs = &put;
                        params.cNamedArgs = 1;
                    }
                    Variant result;
                    EXCEPINFO exception{};
                    UINT argumentError = 0;
                    const HRESULT hr = object->Invoke(function->memid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                                      result.Put(), &exception, &argumentError);
                    ++calls;
                    if (hr == DISP_E_EXCEPTION) {
                        ++failures;
                        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
                        EXPECT_TRUE(FAILED(exception.scode)) << testing::PrintToString(member);
                        EXPECT_NE(nullptr, exception.bstrSource) << testing::PrintToString(member);
                        EXPECT_NE(nullptr, exception.bstrDescription) << testing::PrintToString(member);
                    } else if (FAILED(hr)) {
                        ++failures;
                    }
                    SysFreeString(exception.bstrSource);
                    SysFreeString(exception.bstrDescription);
                    SysFreeString(exception.bstrHelpFile);
                }
            }
            info->ReleaseFuncDesc(function);
        }
        info->ReleaseTypeAttr(attributes);
        SetErrorInfo(0, nullptr);
    }
    EXPECT_GT(calls, 0);
    RecordProperty("calls", static_cast<int>(calls));
    RecordProperty("failures", static_cast<int>(failures));
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

// A call as the system's dispatcher made it before members were called
// through their own slots: the same arguments made ready, then DispInvoke.
HRESULT ThroughSystemDispatcher(IDispatch* object, ITypeInfo* info, const DispatchTable& table, DISPID id, WORD flags,
                                const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception) {
    const MemberPlan* plan = table.Find(id, flags);
    if (!plan) return DISP_E_MEMBERNOTFOUND;
    const WORD kind = (plan->kind & flags) ? flags : static_cast<WORD>(plan->kind);
    DispatchArguments prepared;
    UINT argumentError = 0;
    if (HRESULT hr = prepared.Prepare(*plan, params, &argumentError); FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    const bool isPut = plan->kind == INVOKE_PROPERTYPUT || plan->kind == INVOKE_PROPERTYPUTREF;
    DISPPARAMS ready{plan->parameters.empty() ? nullptr : prepared.Arguments(), isPut ? &put : nullptr,
                     static_cast<UINT>(plan->parameters.size()), isPut ? 1u : 0u};
    const HRESULT hr = DispInvoke(object, info, id, kind, &ready, result, exception, &argumentError);
    prepared.WriteBack();
    if (FAILED(hr)) VariantClear(result);
    return hr;
}

// A value as text, for comparing and showing.
std::wstring TextForm(const VARIANT& value) {
    Variant text;
    if (FAILED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) return L"?";
    return std::wstring(Bstr::ViewOf(V_BSTR(text.Get())));
}

// Two values alike: the same type, and the same object presence, array
// shape or text form.
bool Alike(const VARIANT& a, const VARIANT& b) {
    if (V_VT(&a) != V_VT(&b)) return false;
    if (V_VT(&a) == VT_DISPATCH || V_VT(&a) == VT_UNKNOWN) return !V_UNKNOWN(&a) == !V_UNKNOWN(&b);
    if (V_VT(&a) & VT_ARRAY) {
        LONG upperA = -1, upperB = -1;
        if (V_ARRAY(&a)) SafeArrayGetUBound(V_ARRAY(&a), 1, &upperA);
        if (V_ARRAY(&b)) SafeArrayGetUBound(V_ARRAY(&b), 1, &upperB);
        return upperA == upperB;
    }
    return TextForm(a) == TextForm(b);
}

std::string Shown(const VARIANT& value) {
    std::string shown = " [type " + std::to_string(V_VT(&value)) + ": ";
    for (wchar_t c : TextForm(value).substr(0, 20)) shown += c < 128 ? static_cast<char>(c) : '?';
    return shown + "]";
}

// Late-bound calls through the members' own slots answer as the system's
// dispatcher did: the same outcome, value, error and by-reference changes.
TEST(Robustness, SlotCallsAnswerAsTheSystemDispatcher) {
    // Members whose answer changes between two calls: only outcomes compare.
    static const wchar_t* const varying[] = {L"GUIDx", L"RandomNumber", L"Running", L"MemoryAvailable", L"MemoryAvailablePhysical",
                                             L"MemoryPageFile", L"MemoryPercentFree", L"DayPart", L"Today", L"Tomorrow",
                                             L"Yesterday", L"IsGoodDate", L"WeekNo", L"ExactAge", L"HowOld", L"BusinessDays",
                                             L"DaysInMonth", L"DLLBaseAddress", L"DriveMBFree", L"IsConnectedToInternet"};
    RandomArguments arguments(20261209);
    long calls = 0;
    for (const ClassEntry* entry : AllClasses()) {
        ComPtr<IDispatch> object;
        ASSERT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid()));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, 0, info.Put()));
        const std::unique_ptr<DispatchTable> table = BuildDispatchTable(info.Get(), {});
        for (const MemberPlan& plan : table->members) {
            Bstr name;
            info->GetDocumentation(plan.id, name.Put(), nullptr, nullptr, nullptr);
            const std::wstring member(name.View());
            if (Excluded(member)) continue;
            const bool varies = std::find(std::begin(varying), std::end(varying), member) != std::end(varying);
            const WORD flags = plan.kind == INVOKE_PROPERTYGET ? DISPATCH_PROPERTYGET
                               : plan.kind == INVOKE_PROPERTYPUT ? DISPATCH_PROPERTYPUT
                               : plan.kind == INVOKE_PROPERTYPUTREF ? DISPATCH_PROPERTYPUTREF
                                                                  : DISPATCH_METHOD;
            for (int round = 0; round < 30; ++round) {
                // The same arguments twice; some by reference to a variable of each call's own.
                const unsigned count = static_cast<unsigned>(plan.parameters.size()) - (arguments.Pick(3) == 0 && !plan.parameters.empty());
                std::vector<Variant> values, variables[2];
                std::vector<bool> referenced;
                for (unsigned i = 0; i < count; ++i) {
                    values.push_back(arguments.Next());
                    referenced.push_back(arguments.Pick(3) == 0);
                    variables[0].push_back(values.back());
                    variables[1].push_back(values.back());
                }
                HRESULT hr[2];
                Variant result[2];
                EXCEPINFO exception[2]{};
                for (int path = 0; path < 2; ++path) {
                    std::vector<VARIANT> raw;
                    for (unsigned i = count; i-- > 0;) {
                        VARIANT argument = *values[i].Get();
                        if (referenced[i]) {
                            V_VT(&argument) = VT_VARIANT | VT_BYREF;
                            V_VARIANTREF(&argument) = variables[path][i].Get();
                        }
                        raw.push_back(argument);
                    }
                    DISPID put = DISPID_PROPERTYPUT;
                    const bool isPut = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
                    DISPPARAMS params{raw.data(), isPut && count ? &put : nullptr, count, isPut && count ? 1u : 0u};
                    hr[path] = path == 0 ? object->Invoke(plan.id, IID_NULL, 0, flags, &params, result[0].Put(), &exception[0], nullptr)
                                         : ThroughSystemDispatcher(object.Get(), info.Get(), *table, plan.id, flags, params,
                                                                   result[1].Put(), &exception[1]);
                }
                ++calls;
                const std::string call = testing::PrintToString(member) + " round " + std::to_string(round);
                EXPECT_EQ(hr[1], hr[0]) << call;
                EXPECT_EQ(result[1].Type(), result[0].Type()) << call;
                if (!varies) {
                    EXPECT_TRUE(Alike(*result[1].Get(), *result[0].Get())) << call << Shown(*result[1].Get()) << " / " << Shown(*result[0].Get());
                    for (unsigned i = 0; i < count; ++i)
                        EXPECT_TRUE(Alike(*variables[1][i].Get(), *variables[0][i].Get())) << call << " argument " << i << " given " << [&]{ std::string t; for (unsigned k = 0; k < count; ++k) t += Shown(*values[k].Get()).substr(0, 20) + (referenced[k] ? "& " : " "); return t; }() << ": " << Shown(*variables[1][i].Get()) << " / " << Shown(*variables[0][i].Get());
                }
                if (hr[0] == DISP_E_EXCEPTION && hr[1] == DISP_E_EXCEPTION) {
                    EXPECT_EQ(exception[1].scode, exception[0].scode) << call;
                    EXPECT_EQ(Bstr::ViewOf(exception[1].bstrSource), Bstr::ViewOf(exception[0].bstrSource)) << call;
                    EXPECT_EQ(Bstr::ViewOf(exception[1].bstrDescription), Bstr::ViewOf(exception[0].bstrDescription)) << call;
                }
                for (EXCEPINFO& e : exception) {
                    if (hr[&e - exception] != DISP_E_EXCEPTION) continue;
                    SysFreeString(e.bstrSource);
                    SysFreeString(e.bstrDescription);
                    SysFreeString(e.bstrHelpFile);
                }
            }
        }
        SetErrorInfo(0, nullptr);
    }
    EXPECT_GT(calls, 1000);
}

}  // namespace

// Structural fuzzing: the shape of the call is random as well as its
// values. Every member of every class (and dispatch ids no member has) is
// called with random flags, counts, named ids, null pointers, references of
// every type and extreme values. Members that would end the session,
// launch programs, show UI or write files run against stubbed system
// functions. A crash prints the call and ends the process; a call longer
// than the time limit does the same; a failure that hands back a value and
// memory growth over a repeated pass are counted.
namespace structural {

// Stubs for the system functions whose real effect no test may have.
bool searchesLive = true;  // off while a member that walks or copies files runs
BOOL WINAPI RefuseExit(UINT, DWORD) { return FALSE; }
BOOL WINAPI RefuseProcess(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                          LPSTARTUPINFOA, LPPROCESS_INFORMATION) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}
HINSTANCE WINAPI RefuseShell(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) { return reinterpret_cast<HINSTANCE>(2); }
INT WINAPI RefuseAbout(HWND, LPCSTR, LPCSTR, HICON) { return 0; }
int WINAPI AnswerBox(HWND, LPCSTR, LPCSTR, UINT) { return IDYES; }
BOOL WINAPI RefuseSound(LPCSTR, UINT) { return FALSE; }
VOID WINAPI NoSleep(DWORD) {}
BOOL WINAPI RefuseWindow(HWND, HWND, int, int, int, int, UINT) { return FALSE; }
BOOL WINAPI RefuseIcon(HDC, int, int, HICON) { return FALSE; }
BOOL WINAPI RefuseCopy(LPCSTR, LPCSTR, BOOL) { return FALSE; }
BOOL WINAPI RefuseDelete(LPCSTR) { return FALSE; }
BOOL WINAPI RefuseWrite(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) { return FALSE; }
// The sockets library's start count is the process's: left alone for the other tests.
int WINAPI RefuseSocketsStartup(WORD, WSADATA*) { return WSASYSNOTREADY; }
int WINAPI RefuseSocketsCleanup() { return -1; }  // SOCKET_ERROR
HANDLE WINAPI ReadOnlyOpen(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                           DWORD flags, HANDLE model) {
    if ((access & ~GENERIC_READ) || disposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
    return ::CreateFileA(name, access, share, security, disposition, flags, model);
}
HANDLE WINAPI GuardedSearch(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
    if (!searchesLive || !pattern || std::strpbrk(pattern, "*?")) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return ::FindFirstFileA(pattern, found);
}

class Stubbed : public SubstituteScope {
public:
    Stubbed() {
        Replace<decltype(&::ExitWindowsEx)>("user32.dll", "ExitWindowsEx", &RefuseExit);
        Replace<decltype(&::CreateProcessA)>("kernel32.dll", "CreateProcessA", &RefuseProcess);
        Replace<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA", &RefuseShell);
        Replace<decltype(&::ShellAboutA)>("shell32.dll", "ShellAboutA", &RefuseAbout);
        Replace<decltype(&::MessageBoxA)>("user32.dll", "MessageBoxA", &AnswerBox);
        Replace<decltype(&::sndPlaySoundA)>("winmm.dll", "sndPlaySoundA", &RefuseSound);
        Replace<decltype(&::Sleep)>("kernel32.dll", "Sleep", &NoSleep);
        Replace<decltype(&::SetWindowPos)>("user32.dll", "SetWindowPos", &RefuseWindow);
        Replace<decltype(&::DrawIcon)>("user32.dll", "DrawIcon", &RefuseIcon);
        Replace<decltype(&::CopyFileA)>("kernel32.dll", "CopyFileA", &RefuseCopy);
        Replace<decltype(&::DeleteFileA)>("kernel32.dll", "DeleteFileA", &RefuseDelete);
        Replace<decltype(&::WriteFile)>("kernel32.dll", "WriteFile", &RefuseWrite);
        Replace<decltype(&::CreateFileA)>("kernel32.dll", "CreateFileA", &ReadOnlyOpen);
        Replace<decltype(&::FindFirstFileA)>("kernel32.dll", "FindFirstFileA", &GuardedSearch);
        Replace<int(WINAPI*)(WORD, WSADATA*)>("wsock32.dll", "WSAStartup", &RefuseSocketsStartup);
        Replace<int(WINAPI*)()>("wsock32.dll", "WSACleanup", &RefuseSocketsCleanup);
    }
};

// Members left out even so: a desktop shortcut written through the shell's
// link object, and the sibling library's about box.
bool Excluded(const std::wstring& member) { return member == L"ShortCut" || member == L"About"; }
// Members that walk or copy files get no real file search.
bool Searches(const std::wstring& member) {
    return member == L"FileCopy" || member == L"FileDirectories" || member == L"FileFind" || member == L"FileKill";
}

// The call under way, printed if the process dies in it.
char current[256] = "(no call yet)";
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    void* address = exception->ExceptionRecord->ExceptionAddress;
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module))
        GetModuleFileNameA(module, name, sizeof name);
    std::fprintf(stderr, "structural: crash 0x%08lx at %s+0x%zx in %s\n", exception->ExceptionRecord->ExceptionCode, name,
                 static_cast<size_t>(static_cast<char*>(address) - reinterpret_cast<char*>(module)), current);
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Ends the process when one call runs longer than the limit.
class Watchdog {
public:
    explicit Watchdog(DWORD limit) : limit(limit), thread(CreateThread(nullptr, 0, &Watchdog::Run, this, 0, nullptr)) {}
    ~Watchdog() {
        stop = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    void Started() { started = GetTickCount(); }
    void Finished() {
        const DWORD took = GetTickCount() - started.exchange(0);
        longest = std::max(longest, took);
    }
    DWORD Longest() const { return longest; }

private:
    static DWORD WINAPI Run(void* watchdog) {
        static_cast<Watchdog*>(watchdog)->Watch();
        return 0;
    }
    void Watch() {
        while (!stop) {
            Sleep(50);
            const DWORD since = started;
            if (since && GetTickCount() - since > limit) {
                std::fprintf(stderr, "structural: hang (over %lu ms) in %s\n", limit, current);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
    }
    DWORD limit;
    std::atomic<DWORD> started{0};
    std::atomic<bool> stop{false};
    DWORD longest = 0;
    HANDLE thread;
};

// Values and storage for one call; everything is released after it.
class CallMaker {
public:
    CallMaker(std::mt19937& random, IDispatch* stranger, IDispatch* component)
        : random(random), stranger(stranger), component(component) {}
    ~CallMaker() { Release(); }

    unsigned Pick(unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(random); }

    // One argument as a careless or hostile caller might build it.
    VARIANT Argument() {
        VARIANT argument{};
        switch (Pick(20)) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8:
            return *Cell(Value());
        case 9: case 10: case 11: case 12: {  // a typed reference
            VARIANT* cell = Cell(Value());
            V_VT(&argument) = static_cast<VARTYPE>(V_VT(cell) | VT_BYREF);
            V_BYREF(&argument) = Pick(20) == 0 ? nullptr : V_VT(cell) == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(cell)) : &V_UI1(cell);
            if (V_VT(cell) == VT_EMPTY || V_VT(cell) == VT_NULL) {
                V_VT(&argument) = VT_VARIANT | VT_BYREF;  // no typed reference to these
                V_VARIANTREF(&argument) = cell;
            }
            return argument;
        }
        case 13: case 14: case 15: case 16: {  // a script variable by reference
            // Holding a value of its own, or now and then a reference (not owned).
            VARIANT* cell = Cell(Value());
            if (Pick(6) == 0) {
                const VARIANT reference = Argument();
                if (V_VT(&reference) & VT_BYREF) cell = Cell(reference, false);
            }
            V_VT(&argument) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&argument) = Pick(25) == 0 ? nullptr : cell;
            return argument;
        }
        case 17: {  // no type automation defines, or one that needs what is not there
            static const VARTYPE invalid[] = {VT_VECTOR | VT_I4, 0x7FF, VT_VARIANT, VT_EMPTY | VT_BYREF, VT_RECORD, VT_NULL | VT_ARRAY, VT_I4 | VT_RESERVED};
            V_VT(&argument) = invalid[Pick(std::size(invalid))];
            V_BYREF(&argument) = Pick(2) ? nullptr : &scratch;
            return argument;
        }
        default:
            V_VT(&argument) = VT_ERROR;
            V_ERROR(&argument) = Pick(4) ? DISP_E_PARAMNOTFOUND : static_cast<SCODE>(random());
            return argument;
        }
    }

    // An owned value of a random automation type.
    VARIANT Value() {
        VARIANT v{};
        static const VARTYPE types[] = {VT_EMPTY, VT_NULL, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT,
                                        VT_I8, VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_BSTR, VT_BSTR, VT_BOOL,
                                        VT_ERROR, VT_DECIMAL, VT_DISPATCH, VT_UNKNOWN, VT_ARRAY | VT_BSTR, VT_ARRAY | VT_VARIANT};
        const VARTYPE vt = types[Pick(std::size(types))];
        const double number = Number();
        V_VT(&v) = vt;
        switch (vt) {
        case VT_I1: V_I1(&v) = static_cast<CHAR>(Integer()); break;
        case VT_UI1: V_UI1(&v) = static_cast<BYTE>(Integer()); break;
        case VT_I2: V_I2(&v) = static_cast<SHORT>(Integer()); break;
        case VT_UI2: V_UI2(&v) = static_cast<USHORT>(Integer()); break;
        case VT_I4: case VT_INT: V_I4(&v) = static_cast<LONG>(Integer()); break;
        case VT_UI4: case VT_UINT: V_UI4(&v) = static_cast<ULONG>(Integer()); break;
        case VT_I8: V_I8(&v) = Integer(); break;
        case VT_UI8: V_UI8(&v) = static_cast<ULONGLONG>(Integer()); break;
        case VT_R4: V_R4(&v) = static_cast<float>(number); break;
        case VT_R8: V_R8(&v) = number; break;
        case VT_DATE: V_DATE(&v) = number; break;
        case VT_CY: V_CY(&v).int64 = Integer() * (Pick(2) ? 10000 : 1); break;
        case VT_BOOL: V_BOOL(&v) = Pick(3) ? VARIANT_TRUE : static_cast<VARIANT_BOOL>(Integer()); break;
        case VT_ERROR: V_ERROR(&v) = Pick(2) ? DISP_E_PARAMNOTFOUND : E_FAIL; break;
        case VT_DECIMAL:
            V_DECIMAL(&v).Hi32 = static_cast<ULONG>(random());
            V_DECIMAL(&v).Lo64 = (static_cast<ULONGLONG>(random()) << 32) | random();
            V_DECIMAL(&v).scale = static_cast<BYTE>(Pick(29));
            V_DECIMAL(&v).sign = Pick(2) ? DECIMAL_NEG : 0;
            V_VT(&v) = VT_DECIMAL;
            break;
        case VT_BSTR: V_BSTR(&v) = Text(); break;
        case VT_DISPATCH: case VT_UNKNOWN: {
            IDispatch* objects[] = {nullptr, stranger, component};
            IDispatch* object = objects[Pick(3)];
            if (object) object->AddRef();
            V_DISPATCH(&v) = object;
            break;
        }
        case VT_ARRAY | VT_BSTR: case VT_ARRAY | VT_VARIANT: {
            if (Pick(4) == 0) break;  // no array
            const ULONG count = Pick(4);
            SAFEARRAY* array = SafeArrayCreateVector(vt & VT_TYPEMASK, static_cast<LONG>(Pick(3)) - 1, count);
            for (LONG i = 0; i < static_cast<LONG>(count); ++i) {
                LONG index = array->rgsabound[0].lLbound + i;
                Bstr text = Bstr::Adopt(Text());
                if (vt == (VT_ARRAY | VT_BSTR)) SafeArrayPutElement(array, &index, text.Get());
                else SafeArrayPutElement(array, &index, Variant::Text(text.View()).Get());
            }
            if (Pick(4) == 0) array->fFeatures |= FADF_FIXEDSIZE;
            V_ARRAY(&v) = array;
            break;
        }
        default: break;
        }
        return v;
    }

    // Frees what the arguments own, whatever the member left in them.
    void Release() {
        for (auto cell = cells.rbegin(); cell != cells.rend(); ++cell) {
            if (!cell->owned) continue;
            VARIANT& v = *cell->value;
            if ((V_VT(&v) & VT_ARRAY) && !(V_VT(&v) & VT_BYREF) && V_ARRAY(&v)) V_ARRAY(&v)->fFeatures &= ~FADF_FIXEDSIZE;
            VariantClear(&v);
        }
        cells.clear();
    }

private:
    struct Owned {
        std::unique_ptr<VARIANT> value;
        bool owned;
    };
    VARIANT* Cell(VARIANT value, bool owned = true) {
        cells.push_back({std::make_unique<VARIANT>(value), owned});
        return cells.back().value.get();
    }
    long long Integer() {
        static const long long edges[] = {0, 1, -1, 7, 255, 256, -129, 32767, 32768, -32769, 65535, 65536, 2147483647LL,
                                          -2147483647LL - 1, 2147483648LL, 4294967295LL, 9223372036854775807LL};
        return Pick(3) ? edges[Pick(std::size(edges))] : static_cast<long long>(random()) - 0x7FFFFFFFLL;
    }
    double Number() {
        static const double edges[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
                                       -std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(), -0.0,
                                       0.5, 2.5, -0.5, 32767.5, -32768.5, 255.5, 1e10, -1e10, 2147483647.5, 4294967295.0,
                                       2958466.0, -657435.0, 45292.75};
        return Pick(3) ? edges[Pick(std::size(edges))] : std::uniform_real_distribution<double>(-1e6, 1e6)(random);
    }
    BSTR Text() {
        static const wchar_t alphabet[] = L"abcXYZ019 \\/:*?.<>|\"'%&~\u00e9\u00df\u4e2d\uffff\xD800";
        switch (Pick(12)) {
        case 0: return nullptr;
        case 1: return SysAllocStringLen(L"", 0);
        case 2: {  // a megabyte of text
            if (Pick(6)) return SysAllocString(L"C:\\");
            BSTR big = SysAllocStringLen(nullptr, 1 << 19);
            std::fill(big, big + (1 << 19), L'x');
            return big;
        }
        default: {
            std::wstring text;
            const unsigned length = Pick(3) ? Pick(12) : 300 + Pick(2000);
            for (unsigned i = 0; i < length; ++i) text += alphabet[Pick(std::size(alphabet) - 1)];
            if (length && Pick(3) == 0) text[Pick(length)] = L'\0';
            return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
        }
    }

    std::mt19937& random;
    IDispatch* stranger;
    IDispatch* component;
    std::vector<Owned> cells;
    VARIANT scratch{};
};

struct Tally {
    long calls = 0, failures = 0, valuesAfterFailure = 0, exceptionsWithoutInfo = 0;
};

WORD Flags(CallMaker& make, INVOKEKIND kind) {
    static const WORD odd[] = {0, 5, 6, 7, 9, 10, 13, 14, 15, 16, 0x8000, 0xFFFF};
    if (make.Pick(10) < 3) return make.Pick(4) ? odd[make.Pick(std::size(odd))] : static_cast<WORD>(make.Pick(0x10000));
    switch (kind) {
    case INVOKE_PROPERTYGET: return make.Pick(2) ? DISPATCH_PROPERTYGET : DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    case INVOKE_PROPERTYPUT: return DISPATCH_PROPERTYPUT;
    case INVOKE_PROPERTYPUTREF: return make.Pick(2) ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
    default: return make.Pick(2) ? DISPATCH_METHOD : DISPATCH_PROPERTYGET | DISPATCH_METHOD;
    }
}

// One random call of `id`, expecting `parameters` arguments.
void CallOnce(IDispatch* object, DISPID id, INVOKEKIND kind, unsigned parameters, const std::wstring& member,
              CallMaker& make, Watchdog& watchdog, Tally& tally) {
    const WORD flags = Flags(make, kind);
    unsigned count = make.Pick(10) < 7 ? parameters : make.Pick(parameters + 3);
    if (make.Pick(50) == 0) count = 40;
    std::vector<VARIANT> arguments;
    for (unsigned i = 0; i < count; ++i) arguments.push_back(make.Argument());
    std::vector<DISPID> named;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (put && count && make.Pick(8)) named.push_back(DISPID_PROPERTYPUT);
    if (make.Pick(5) == 0) {
        const unsigned more = make.Pick(count + 2);
        for (unsigned k = 0; k < more; ++k) {
            const DISPID choices[] = {static_cast<DISPID>(make.Pick(parameters + 1)), DISPID_PROPERTYPUT, 1000, -7,
                                      named.empty() ? 0 : named[make.Pick(static_cast<unsigned>(named.size()))]};
            named.push_back(choices[make.Pick(std::size(choices))]);
        }
    }
    DISPPARAMS params{arguments.data(), named.data(), count, static_cast<UINT>(named.size())};
    if (make.Pick(40) == 0) params.rgvarg = nullptr;
    if (!named.empty() && make.Pick(30) == 0) params.rgdispidNamedArgs = nullptr;
    VARIANT result;
    V_VT(&result) = VT_BSTR;  // stale: the callee must not read it
    V_BSTR(&result) = nullptr;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const bool withResult = make.Pick(10) != 0, withException = make.Pick(10) != 0;
    const IID& iid = make.Pick(50) == 0 ? IID_IDispatch : IID_NULL;
    std::snprintf(current, sizeof current, "%ls (id 0x%08lx) flags 0x%x, %u arguments, %u named, call %ld",
                  member.c_str(), static_cast<unsigned long>(id), flags, count, static_cast<unsigned>(named.size()), tally.calls);
    searchesLive = !Searches(member);
    watchdog.Started();
    const HRESULT hr = object->Invoke(id, iid, LOCALE_USER_DEFAULT, flags, make.Pick(100) ? &params : nullptr,
                                      withResult ? &result : nullptr, withException ? &exception : nullptr,
                                      make.Pick(10) ? &argumentError : nullptr);
    watchdog.Finished();
    ++tally.calls;
    if (FAILED(hr)) {
        ++tally.failures;
        if (withResult && V_VT(&result) != VT_EMPTY) {
            ++tally.valuesAfterFailure;
            ADD_FAILURE() << "a value after a failure: " << current;
        }
        if (hr == DISP_E_EXCEPTION && withException) {
            if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
            if (!FAILED(exception.scode) && !exception.wCode) ++tally.exceptionsWithoutInfo;
        }
    }
    if (withResult) VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    make.Release();
}

// GetIDsOfNames with whatever a caller might pass.
void NamesOnce(IDispatch* object, CallMaker& make) {
    std::wstring longName(70000, L'N');
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"FileExists"), nullptr, longName.data()};
    DISPID ids[3] = {};
    switch (make.Pick(5)) {
    case 0: object->GetIDsOfNames(IID_NULL, nullptr, 1, 0, ids); break;
    case 1: object->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr); break;
    case 2: object->GetIDsOfNames(IID_NULL, names, 3, 0, ids); break;
    case 3: object->GetIDsOfNames(IID_IUnknown, names, 1, 0, ids); break;
    default: object->GetIDsOfNames(IID_NULL, names + 2, 1, 0, ids); break;
    }
}

// Bytes in use in all the process's heaps (the C runtime's, the BSTR
// allocator's and the component's own).
SIZE_T HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    SIZE_T used = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return used;
}

// One pass over every class, `rounds` random calls of each member.
void Pass(unsigned seed, int rounds, Watchdog& watchdog, Tally& tally) {
    std::mt19937 random(seed);
    FakeForm stranger(LongValue(0));
    for (const ClassEntry* entry : AllClasses()) {
        ComPtr<IDispatch> object, component;
        ASSERT_EQ(S_OK, entry->create(IID_IDispatch, object.PutVoid()));
        entry->create(IID_IDispatch, component.PutVoid());
        CallMaker make(random, &stranger, component.Get());
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, object->GetTypeInfo(0, 0, info.Put()));
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        const UINT functions = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        for (UINT index = 0; index <= functions; ++index) {
            DISPID id = static_cast<DISPID>(random());  // past the last: ids no member has
            INVOKEKIND kind = INVOKE_FUNC;
            unsigned parameters = make.Pick(4);
            std::wstring member = L"(no member)";
            if (index < functions) {
                FUNCDESC* function = nullptr;
                if (FAILED(info->GetFuncDesc(index, &function))) continue;
                id = function->memid;
                kind = function->invkind;
                parameters = static_cast<unsigned>(function->cParams);
                Bstr name;
                info->GetDocumentation(function->memid, name.Put(), nullptr, nullptr, nullptr);
                member = name.View();
                info->ReleaseFuncDesc(function);
            }
            if (Excluded(member)) continue;
            for (int round = 0; round < rounds; ++round) {
                CallOnce(object.Get(), id, kind, parameters, member, make, watchdog, tally);
                if (make.Pick(25) == 0) NamesOnce(object.Get(), make);
            }
        }
        SetErrorInfo(0, nullptr);
    }
}

}  // namespace structural

TEST(Robustness, StructurallyRandomLateBoundCallsFailCleanly) {
    using namespace structural;
    const char* rounds = std::getenv("ORVI_FUZZ_ROUNDS");
    const char* seed = std::getenv("ORVI_FUZZ_SEED");
    const char* limit = std::getenv("ORVI_FUZZ_CALL_LIMIT_MS");
    const int roundsPerMember = rounds ? std::atoi(rounds) : 12;
    const unsigned firstSeed = seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261209u;
    Stubbed stubs;
    SetUnhandledExceptionFilter(&ReportCrash);
    Watchdog watchdog(limit ? static_cast<DWORD>(std::atol(limit)) : 20000);
    // The same calls twice: the second pass finds every cache warm, so what
    // it adds to the process is what the calls leak.
    Tally warm, measured;
    Pass(firstSeed, roundsPerMember, watchdog, warm);
    const SIZE_T before = HeapBytesInUse();
    Pass(firstSeed, roundsPerMember, watchdog, measured);
    const long long growth = static_cast<long long>(HeapBytesInUse()) - static_cast<long long>(before);
    SetUnhandledExceptionFilter(nullptr);
    std::printf("structural: seed %u, %ld calls, %ld failed, %ld values after failure, %ld exceptions without information, "
                "%lld bytes growth over %ld calls (of %zu in use), longest call %lu ms\n",
                firstSeed, warm.calls + measured.calls, warm.failures + measured.failures,
                warm.valuesAfterFailure + measured.valuesAfterFailure,
                warm.exceptionsWithoutInfo + measured.exceptionsWithoutInfo, growth, measured.calls, static_cast<size_t>(HeapBytesInUse()), watchdog.Longest());
    EXPECT_EQ(warm.calls, measured.calls);
    EXPECT_EQ(0, warm.exceptionsWithoutInfo + measured.exceptionsWithoutInfo);
    // A leak of a text per failing call would add several times this.
    EXPECT_LT(growth, 8LL * measured.calls + 65536);
    // The thread's buddy object may hold one of the objects passed.
    auto information = CreateThroughFactory<_clsKvOrviInformationA>(__uuidof(clsKvOrviInformationA));
    information->putref_BuddyObjectGlobal(nullptr);
    information = nullptr;
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}
