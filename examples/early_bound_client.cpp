// An early-bound client of Orvilib10: the classes are created by CLSID and
// called through their vtables, with the declarations generated from the
// type library (orvilib10_h.h, orvilib10_i.c).
//
// Build with mingw-w64:
//   i686-w64-mingw32-g++ -std=c++17 -Iinclude early_bound_client.cpp include/orvilib10_i.c
//       -o early_bound_client.exe -loleaut32 -lole32 -luuid -static
// The type library declares its own HOSTENT and WSADATA records: keep the
// sockets headers out.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "orvilib10_h.h"

namespace {

// Prints the error a failed call left on the thread.
void ReportFailure(const char* what, HRESULT hr) {
    std::printf("%s failed: 0x%08lX", what, static_cast<unsigned long>(hr));
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR source = nullptr, description = nullptr;
        info->GetSource(&source);
        info->GetDescription(&description);
        std::printf(" (%ls: %ls)", source ? source : L"", description ? description : L"");
        SysFreeString(source);
        SysFreeString(description);
        info->Release();
    }
    std::printf("\n");
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 0;
    _clsKvOrviOSInfoA* os = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_clsKvOrviOSInfoA, nullptr, CLSCTX_INPROC_SERVER, IID__clsKvOrviOSInfoA,
                                  reinterpret_cast<void**>(&os));
    if (FAILED(hr)) {
        ReportFailure("Creating clsKvOrviOSInfoA (is orvilib10.dll registered?)", hr);
        status = 1;
    } else {
        BSTR name = nullptr;
        long major = 0, minor = 0, build = 0;
        VARIANT_BOOL isNT = VARIANT_FALSE;
        os->OSName(&name);
        os->OSMajorVersion(&major);
        os->OSMinorVersion(&minor);
        os->OSBuildNumber(&build);
        os->get_IsNT(&isNT);
        std::printf("OS: %ls %ld.%ld build %ld (NT family: %s)\n", name ? name : L"", major, minor, build,
                    isNT ? "yes" : "no");
        SysFreeString(name);
        os->Release();
    }

    _clsKvOrviOsVersionInfoA* record = nullptr;
    hr = CoCreateInstance(CLSID_clsKvOrviOsVersionInfoA, nullptr, CLSCTX_INPROC_SERVER, IID__clsKvOrviOsVersionInfoA,
                          reinterpret_cast<void**>(&record));
    if (SUCCEEDED(hr)) {
        BSTR platform = nullptr;
        record->get_PlatformName(&platform);
        std::printf("Platform: %ls\n", platform ? platform : L"");
        SysFreeString(platform);
        record->Release();
    } else {
        ReportFailure("Creating clsKvOrviOsVersionInfoA", hr);
        status = 1;
    }
    CoUninitialize();
    return status;
}
