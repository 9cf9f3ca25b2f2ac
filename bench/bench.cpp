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

// Nanoseconds per call of `body`, best of five rounds.
double NanosecondsPerCall(long calls, const std::function<void()>& body) {
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        for (long i = 0; i < calls; ++i) body();
        QueryPerformanceCounter(&stop);
        best = std::min(best, TicksToNanoseconds(stop.QuadPart - start.QuadPart) / calls);
    }
    return best;
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

// A late-bound property read, as a script engine performs it.
struct LateGet {
    IDispatch* object;
    DISPID id;
    std::vector<VARIANT> arguments;  // in reverse order, as Invoke takes them
    WORD flags;
    void operator()() const {
        DISPPARAMS params{const_cast<VARIANT*>(arguments.data()), nullptr, static_cast<UINT>(arguments.size()), 0};
        Variant result;
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.Put(), nullptr, nullptr);
    }
};
LateGet Late(IDispatch* object, const wchar_t* name, WORD flags = DISPATCH_PROPERTYGET | DISPATCH_METHOD) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return LateGet{object, id, {}, flags};
}

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
    std::wstring member;
    double raw, early, late, wmi;
};

void Print(const std::vector<Row>& rows) {
    std::printf("%-28s %10s %10s %10s %12s %8s %8s %10s %10s\n", "member", "raw ns", "early ns", "late ns", "WMI ns",
                "early/raw", "late/early", "WMI/late", "WMI/early");
    for (const Row& row : rows) {
        std::printf("%-28ls %10.1f %10.1f %10.1f %12.0f %8.2f %8.2f %10.0f %10.0f\n", row.member.c_str(), row.raw,
                    row.early, row.late, row.wmi, row.raw > 0 ? row.early / row.raw : 0.0, row.late / row.early,
                    row.wmi > 0 ? row.wmi / row.late : 0.0, row.wmi > 0 ? row.wmi / row.early : 0.0);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Component component(argc > 1 ? argv[1] : L"orvilib10.dll");
    if (!component) {
        std::printf("cannot load the component\n");
        return 1;
    }
    Wmi wmi;
    std::vector<Row> rows;

    {
        auto record = component.Create<_clsKvOrviOsVersionInfoA>(CLSID_clsKvOrviOsVersionInfoA);
        ComPtr<IDispatch> dispatch = record.As<IDispatch>();
        volatile long sink = 0;
        rows.push_back({L"OsVersionInfo.MajorVersion",
                        NanosecondsPerCall(200000, [&] {
                            OSVERSIONINFOA info{};
                            info.dwOSVersionInfoSize = sizeof info;
                            GetVersionExA(&info);
                            sink = sink + static_cast<long>(info.dwMajorVersion);
                        }),
                        NanosecondsPerCall(2000000, [&] {
                            long major = 0;
                            record->get_MajorVersion(&major);
                            sink = sink + major;
                        }),
                        NanosecondsPerCall(200000, Late(dispatch.Get(), L"MajorVersion")),
                        wmi ? NanosecondsPerCall(20, [&] { wmi.Query(L"SELECT Version FROM Win32_OperatingSystem", L"Version"); }) : 0});
    }
    {
        auto os = component.Create<_clsKvOrviOSInfoA>(CLSID_clsKvOrviOSInfoA);
        ComPtr<IDispatch> dispatch = os.As<IDispatch>();
        rows.push_back({L"OSInfo.OSName",
                        NanosecondsPerCall(200000, [&] {
                            OSVERSIONINFOEXA info{};
                            info.dwOSVersionInfoSize = sizeof info;
                            GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
                        }),
                        NanosecondsPerCall(1000000, [&] {
                            BSTR name = nullptr;
                            os->OSName(&name);
                            SysFreeString(name);
                        }),
                        NanosecondsPerCall(200000, Late(dispatch.Get(), L"OSName")),
                        wmi ? NanosecondsPerCall(20, [&] { wmi.Query(L"SELECT Caption FROM Win32_OperatingSystem", L"Caption"); }) : 0});
    }
    Print(rows);

    auto factory = component.Factory(CLSID_clsKvOrviOSInfoA);
    const double create = NanosecondsPerCall(20000, [&] {
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
