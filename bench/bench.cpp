// Per-call costs of the component against the system call it wraps, all in
// one process. Not a test: it prints figures.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "com_ptr.h"
#include "orvilib10_h.h"

using orvi::ComPtr;

namespace {

double SecondsPerTick() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1.0 / static_cast<double>(frequency.QuadPart);
}

// Nanoseconds per call of `body`, best of five rounds.
template <class Body>
double NanosecondsPerCall(long calls, Body&& body) {
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        for (long i = 0; i < calls; ++i) body();
        QueryPerformanceCounter(&stop);
        const double ns = static_cast<double>(stop.QuadPart - start.QuadPart) * SecondsPerTick() * 1e9 / calls;
        if (ns < best) best = ns;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const char* dllPath = argc > 1 ? argv[1] : "orvilib10.dll";
    LARGE_INTEGER loadStart, loadStop;
    QueryPerformanceCounter(&loadStart);
    HMODULE dll = LoadLibraryA(dllPath);
    QueryPerformanceCounter(&loadStop);
    if (!dll) {
        std::printf("cannot load %s\n", dllPath);
        return 1;
    }
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (!getClassObject || FAILED(getClassObject(__uuidof(clsKvOrviOsVersionInfoA), IID_IClassFactory, factory.PutVoid()))) {
        std::printf("no class factory\n");
        return 1;
    }
    ComPtr<_clsKvOrviOsVersionInfoA> record;
    factory->CreateInstance(nullptr, __uuidof(_clsKvOrviOsVersionInfoA), record.PutVoid());

    volatile long sink = 0;
    const double raw = NanosecondsPerCall(200000, [&] {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        GetVersionExA(&info);
        sink = sink + static_cast<long>(info.dwMajorVersion);
    });
    const double early = NanosecondsPerCall(2000000, [&] {
        long major = 0;
        record->get_MajorVersion(&major);
        sink = sink + major;
    });
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"MajorVersion");
    record->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    const double late = NanosecondsPerCall(200000, [&] {
        DISPPARAMS none{};
        VARIANT result;
        VariantInit(&result);
        record->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
        sink = sink + V_I4(&result);
    });
    const double create = NanosecondsPerCall(20000, [&] {
        ComPtr<IDispatch> object;
        factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid());
    });
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double loadMs = static_cast<double>(loadStop.QuadPart - loadStart.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);

    std::printf("%-44s %12s %10s\n", "operation", "ns/call", "x raw");
    std::printf("%-44s %12.1f %10.2f\n", "GetVersionExA (raw system call)", raw, 1.0);
    std::printf("%-44s %12.1f %10.2f\n", "MajorVersion get, early-bound (vtable)", early, early / raw);
    std::printf("%-44s %12.1f %10.2f\n", "MajorVersion get, late-bound (Invoke)", late, late / raw);
    std::printf("%-44s %12.1f %10.2f\n", "clsKvOrviOsVersionInfoA creation (factory)", create, create / raw);
    std::printf("late-bound / early-bound: %.2f\n", late / early);
    std::printf("DLL load time: %.3f ms\n", loadMs);
    record.Reset();
    factory.Reset();
    CoUninitialize();
    return 0;
}
