// Per-call costs of the component against the system calls its members
// wrap and against WMI, the alternative a script author would reach for,
// all in one process. Not a test: it prints figures.
//
//   scripts/wine-run build/x64/bench/orvi_bench.exe "$(scripts/winpath build/x64/orvilib10.dll)"
#include <windows.h>
#include <objbase.h>
#include <wbemidl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "dates.h"
#include "text.h"
#include "orvilib10_h.h"

using orvi::Bstr;
using orvi::ComPtr;
using orvi::Variant;

namespace {

double TicksToNanoseconds(LONGLONG ticks) {
    static const double perTick = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1e9 / static_cast<double>(frequency.QuadPart);
    }();
    return static_cast<double>(ticks) * perTick;
}

double NanosecondsFor(long calls, const std::function<void()>& body) {
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    for (long i = 0; i < calls; ++i) body();
    QueryPerformanceCounter(&stop);
    return TicksToNanoseconds(stop.QuadPart - start.QuadPart);
}

// Nanoseconds per call of `body`: the best of five rounds of about 50 ms
// each, so a slow call (a WMI query, a call that goes to the display
// server) costs no more wall time than a fast one.
double NanosecondsPerCall(const std::function<void()>& body) {
    constexpr double kRound = 50e6;
    body();  // warm: first calls bind functions and fill caches
    double single = NanosecondsFor(1, body);
    long calls = 1;
    while (single * calls < kRound / 10 && calls < 10000000) {
        calls *= 10;
        single = NanosecondsFor(calls, body) / calls;
    }
    calls = std::max(1L, std::min(10000000L, static_cast<long>(kRound / std::max(single, 1.0))));
    double best = 1e300;
    for (int round = 0; round < 5; ++round) best = std::min(best, NanosecondsFor(calls, body) / calls);
    return best;
}

// A text with every `mark` written twice, as WQL string literals need backslashes.
std::wstring Doubled(const std::wstring& text, wchar_t mark) {
    std::wstring doubled;
    for (wchar_t c : text) {
        doubled += c;
        if (c == mark) doubled += c;
    }
    return doubled;
}

class Component {
public:
    explicit Component(const wchar_t* path) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        dll = LoadLibraryW(path);
        QueryPerformanceCounter(&stop);
        loadNanoseconds = TicksToNanoseconds(stop.QuadPart - start.QuadPart);
        if (dll)
            getClassObject = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    }
    explicit operator bool() const { return getClassObject != nullptr; }

    ComPtr<IClassFactory> Factory(const CLSID& clsid) const {
        ComPtr<IClassFactory> factory;
        getClassObject(clsid, IID_IClassFactory, factory.PutVoid());
        return factory;
    }
    template <class I>
    ComPtr<I> Create(const CLSID& clsid) const {
        ComPtr<I> object;
        if (auto factory = Factory(clsid)) factory->CreateInstance(nullptr, __uuidof(I), object.PutVoid());
        return object;
    }
    double loadNanoseconds = 0;

private:
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    HMODULE dll = nullptr;
    GetClassObject getClassObject = nullptr;
};

// A late-bound call as a script engine performs it: the name resolved
// (script engines do it at every access, measured apart), then Invoke with
// the method and property-get flags both set. `Dispatcher()` is the same
// call made straight through the system's type-information dispatcher, and
// `SystemNames()` the name resolved by the system's, the floors any
// type-library-driven IDispatch stands on.
class LateCall {
public:
    LateCall(IDispatch* object, const wchar_t* name, std::vector<Variant> given = {})
        : object(object), name(name), arguments(std::move(given)) {
        Names()();
        object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put());
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->Get());
    }
    void operator()() { Call(false); }
    std::function<void()> Dispatcher() {
        return [this] { Call(true); };
    }
    std::function<void()> Names() {
        return [this] {
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        };
    }
    std::function<void()> SystemNames() {
        return [this] {
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            DISPID found = DISPID_UNKNOWN;
            DispGetIDsOfNames(info.Get(), names, 1, &found);
        };
    }

private:
    void Call(bool direct) {
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        Variant result;
        const WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
        if (direct) DispInvoke(object, info.Get(), id, flags, &params, result.Put(), nullptr, nullptr);
        else object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.Put(), nullptr, nullptr);
    }
    IDispatch* object;
    const wchar_t* name;
    DISPID id = DISPID_UNKNOWN;
    ComPtr<ITypeInfo> info;
    std::vector<Variant> arguments;  // owned, in the caller's order
    std::vector<VARIANT> reversed;   // borrowed, as Invoke takes them
};

// One WMI query for a property, the way a script's GetObject("winmgmts:") does it.
class Wmi {
public:
    Wmi() {
        ComPtr<IWbemLocator> locator;
        if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, locator.PutVoid())))
            return;
        Bstr root(L"root\\cimv2");
        locator->ConnectServer(root.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Put());
    }
    explicit operator bool() const { return services.Get() != nullptr; }
    void Query(const wchar_t* wql, const wchar_t* property) const {
        Bstr language(L"WQL"), query(wql);
        ComPtr<IEnumWbemClassObject> rows;
        if (FAILED(services->ExecQuery(language.Get(), query.Get(), WBEM_FLAG_FORWARD_ONLY, nullptr, rows.Put()))) return;
        ComPtr<IWbemClassObject> row;
        ULONG returned = 0;
        if (rows->Next(WBEM_INFINITE, 1, row.Put(), &returned) == S_OK && returned == 1) {
            Variant value;
            row->Get(property, 0, value.Put(), nullptr, nullptr);
        }
    }

private:
    ComPtr<IWbemServices> services;
};

struct Row {
    const char* member;
    double raw, early, late, dispatcher, names, systemNames, wmi;
};

void Print(const std::vector<Row>& rows) {
    std::printf("%-28s %9s %9s %9s %9s %9s %11s %9s %10s %9s %11s %9s\n", "member", "raw ns", "early ns", "late ns",
                "disp ns", "names ns", "sysnames ns", "late/disp", "added/sys", "names/sys", "WMI ns", "WMI/late");
    for (const Row& row : rows) {
        // What late binding adds to the early-bound call, against what the system's dispatcher adds.
        const double added = (row.late - row.early) / (row.dispatcher - row.early);
        std::printf("%-28s %9.1f %9.1f %9.1f %9.1f %9.1f %11.1f %9.2f %10.2f %9.3f %11.0f %9.0f\n", row.member, row.raw,
                    row.early, row.late, row.dispatcher, row.names, row.systemNames, row.late / row.dispatcher, added,
                    row.names / row.systemNames, row.wmi, row.wmi > 0 ? row.wmi / row.late : 0.0);
    }
}

// An early-bound read of a numeric property, its value kept so the call is not optimised away.
template <class I, class T>
auto EarlyRead(I* object, HRESULT (STDMETHODCALLTYPE I::*read)(T*), volatile double& sink) {
    return [object, read, &sink] {
        T value{};
        (object->*read)(&value);
        sink = sink + static_cast<double>(value);
    };
}

// Each late-bound figure beside its floor in the same round, so that both
// see the same machine (it is shared and noisy).
template <class Early>
Row Measure(const char* member, const std::function<void()>& raw, Early early, LateCall late, const Wmi& wmi,
            const wchar_t* wql, const wchar_t* property) {
    return Row{member,
               raw ? NanosecondsPerCall(raw) : 0,
               NanosecondsPerCall(early),
               NanosecondsPerCall(late),
               NanosecondsPerCall(late.Dispatcher()),
               NanosecondsPerCall(late.Names()),
               NanosecondsPerCall(late.SystemNames()),
               wmi && wql ? NanosecondsPerCall([&] { wmi.Query(wql, property); }) : 0};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Component component(argc > 1 ? argv[1] : L"orvilib10.dll");
    if (!component) {
        std::printf("cannot load the component\n");
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Wmi wmi;
    std::vector<Row> rows;
    volatile double sink = 0;

    auto record = component.Create<_clsKvOrviOsVersionInfoA>(CLSID_clsKvOrviOsVersionInfoA);
    rows.push_back(Measure(
        "OsVersionInfo.MajorVersion",
        [&] {
            OSVERSIONINFOA info{};
            info.dwOSVersionInfoSize = sizeof info;
            GetVersionExA(&info);
            sink = sink + info.dwMajorVersion;
        },
        EarlyRead(record.Get(), &_clsKvOrviOsVersionInfoA::get_MajorVersion, sink),
        LateCall(record.Get(), L"MajorVersion"), wmi, L"SELECT Version FROM Win32_OperatingSystem", L"Version"));

    auto os = component.Create<_clsKvOrviOSInfoA>(CLSID_clsKvOrviOSInfoA);
    rows.push_back(Measure(
        "OSInfo.OSName",
        [&] {
            OSVERSIONINFOEXA info{};
            info.dwOSVersionInfoSize = sizeof info;
            GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
        },
        [&] {
            Bstr name;
            os->OSName(name.Put());
        },
        LateCall(os.Get(), L"OSName"), wmi, L"SELECT Caption FROM Win32_OperatingSystem", L"Caption"));

    auto metrics = component.Create<_clsKvOrviSystemMetricsA>(CLSID_clsKvOrviSystemMetricsA);
    rows.push_back(Measure(
        "SystemMetrics.ScreenWidth", [&] { sink = sink + GetSystemMetrics(SM_CXSCREEN); },
        EarlyRead(metrics.Get(), &_clsKvOrviSystemMetricsA::get_ScreenWidth, sink),
        LateCall(metrics.Get(), L"ScreenWidth"), wmi, L"SELECT CurrentHorizontalResolution FROM Win32_VideoController",
        L"CurrentHorizontalResolution"));

    auto computer = component.Create<_clsKvOrviUtilitesWinInfoA>(CLSID_clsKvOrviUtilitesWinInfoA);
    rows.push_back(Measure(
        "WinInfo.MemoryAvailable",
        [&] {
            // The member adds the free page file to the free physical memory, one reading each.
            for (int reading = 0; reading < 2; ++reading) {
                MEMORYSTATUSEX status{};
                status.dwLength = sizeof status;
                GlobalMemoryStatusEx(&status);
                sink = sink + static_cast<double>(status.ullAvailPhys);
            }
        },
        EarlyRead(computer.Get(), &_clsKvOrviUtilitesWinInfoA::MemoryAvailable, sink),
        LateCall(computer.Get(), L"MemoryAvailable"), wmi, L"SELECT FreePhysicalMemory FROM Win32_OperatingSystem",
        L"FreePhysicalMemory"));

    auto locale = component.Create<_clsKvOrviUtilitesLocaleA>(CLSID_clsKvOrviUtilitesLocaleA);
    rows.push_back(Measure(
        "UtilitesLocale.Country",
        [&] {
            char country[256];
            GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SENGCOUNTRY, country, sizeof country);
        },
        [&] {
            Bstr country;
            locale->get_Country(country.Put());
        },
        LateCall(locale.Get(), L"Country"), wmi, L"SELECT CountryCode FROM Win32_OperatingSystem", L"CountryCode"));

    auto utilities = component.Create<_clsKvOrviUtilitesA>(CLSID_clsKvOrviUtilitesA);
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring file = std::wstring(windows) + L"\\win.ini";
    const std::string fileAnsi(file.begin(), file.end());
    const std::wstring fileQuery = L"SELECT Name FROM CIM_DataFile WHERE Name = '" + Doubled(file, L'\\') + L"'";
    Bstr fileName(file.c_str());
    rows.push_back(Measure(
        "Utilites.FileExists",
        [&] {
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA(fileAnsi.c_str(), &found);
            if (search != INVALID_HANDLE_VALUE) FindClose(search);
        },
        [&] {
            VARIANT_BOOL exists = VARIANT_FALSE;
            utilities->FileExists(fileName.Get(), &exists);
        },
        LateCall(utilities.Get(), L"FileExists", {Variant::Text(file)}), wmi, fileQuery.c_str(), L"Name"));

    const double someDate = 46364.0;  // 8 December 2026
    rows.push_back(Measure(
        "Utilites.WeekNo", [&] { sink = sink + orvi::dates::WeekNo(orvi::dates::Split(someDate).day); },
        [&] {
            Variant date = Variant::Date(someDate);
            short week = 0;
            utilities->WeekNo(date.Get(), &week);
            sink = sink + week;
        },
        LateCall(utilities.Get(), L"WeekNo", {Variant::Date(someDate)}), wmi, nullptr, nullptr));

    Bstr word(L"Robertson");
    rows.push_back(Measure(
        "Utilites.SoundX",
        [&] {
            std::uint8_t accuracy = 4;
            sink = sink + static_cast<double>(orvi::text::SoundX(L"Robertson", "Robertson", accuracy).size());
        },
        [&] {
            Bstr code;
            unsigned char accuracy = 4;
            utilities->SoundX(word.Get(), &accuracy, code.Put());
        },
        LateCall(utilities.Get(), L"SoundX", {Variant::Text(L"Robertson"), Variant::Integer(4)}), wmi, nullptr, nullptr));
    Print(rows);
    std::printf("(disp: the same late-bound call made directly through DispInvoke and the type information; sysnames:\n"
                " the name resolved by DispGetIDsOfNames on the same type information; added/sys: late minus early\n"
                " against disp minus early. SoundX is given its accuracy, which the system's dispatcher cannot do without)\n");

    auto factory = component.Factory(CLSID_clsKvOrviOSInfoA);
    const double create = NanosecondsPerCall([&] {
        ComPtr<IDispatch> object;
        factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid());
    });
    factory.Reset();
    std::printf("\nclsKvOrviOSInfoA creation through the class factory: %.0f ns\n", create);
    std::printf("DLL load time: %.3f ms\n", component.loadNanoseconds / 1e6);
    if (!wmi) std::printf("(WMI not available here: no WMI figures)\n");
    CoUninitialize();
    return 0;
}
