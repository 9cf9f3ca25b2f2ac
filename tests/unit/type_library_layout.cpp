#include "type_library_layout.h"

#include "orvilib10_h.h"

namespace orvi::test::layout {

std::vector<Interface> Interfaces() {
    return {
        {L"_clsKvOrviOsVersionInfoA", &IID__clsKvOrviOsVersionInfoA,
         {{L"PlatformID", L"get", 0x68030004}, {L"PlatformID", L"let", 0x68030004},
          {L"MajorVersion", L"get", 0x68030003}, {L"MajorVersion", L"let", 0x68030003},
          {L"MinorVersion", L"get", 0x68030002}, {L"MinorVersion", L"let", 0x68030002},
          {L"BuildNumber", L"get", 0x68030001}, {L"BuildNumber", L"let", 0x68030001},
          {L"PlatformName", L"get", 0x68030000}, {L"PlatformName", L"let", 0x68030000}}},
        {L"_clsKvOrviIEVersionInfoA", &IID__clsKvOrviIEVersionInfoA,
         {{L"MajorVersion", L"get", 0x68030002}, {L"MajorVersion", L"let", 0x68030002},
          {L"MinorVersion", L"get", 0x68030001}, {L"MinorVersion", L"let", 0x68030001},
          {L"BuildNumber", L"get", 0x68030000}, {L"BuildNumber", L"let", 0x68030000}}},
        {L"_clsKvOrviOSInfoA", &IID__clsKvOrviOSInfoA,
         {{L"OSEnum", L"method", 0x60030007}, {L"OSName", L"method", 0},
          {L"OSMajorVersion", L"method", 0x60030008}, {L"OSMinorVersion", L"method", 0x60030009},
          {L"OSSPMajorVersion", L"method", 0x6003000A}, {L"OSSPMinorVersion", L"method", 0x6003000B},
          {L"OSBuildNumber", L"method", 0x6003000C}, {L"PSSInfo", L"method", 0x6003000D},
          {L"IsNT", L"get", 0x68030004}, {L"IsWin98", L"get", 0x68030003}, {L"IsWin2K", L"get", 0x68030002},
          {L"OSProductType", L"get", 0x68030001}, {L"OSSuiteType", L"get", 0x68030000}}},
    };
}

std::vector<Class> Classes() {
    return {
        {L"clsKvOrviOsVersionInfoA", &CLSID_clsKvOrviOsVersionInfoA, &IID__clsKvOrviOsVersionInfoA},
        {L"clsKvOrviIEVersionInfoA", &CLSID_clsKvOrviIEVersionInfoA, &IID__clsKvOrviIEVersionInfoA},
        {L"clsKvOrviOSInfoA", &CLSID_clsKvOrviOSInfoA, &IID__clsKvOrviOSInfoA},
    };
}

std::vector<Enumeration> Enumerations() {
    return {
        {L"OSVerPlatformOrviConstants", {0xBB6B0E77, 0xE194, 0x4AAC, {0x8F, 0x20, 0x2F, 0xF9, 0xE6, 0x89, 0xEB, 0x1C}},
         {{L"OrviOSVER_PLATFORM_WIN32s", 0}, {L"OrviOSVER_PLATFORM_WIN32_WINDOWS", 1}, {L"OrviOSVER_PLATFORM_WIN32_NT", 2}}},
        {L"MonitorState", {0x327D7977, 0x6C08, 0x46CE, {0x9B, 0xF9, 0x5D, 0x04, 0xC7, 0x8D, 0x8C, 0x05}},
         {{L"MonitorOn", -1}, {L"MonitorOff", 2}, {L"MonitorStandby", 1}}},
        {L"OSType", {0xD8DB4180, 0x39B7, 0x4755, {0x9A, 0x4B, 0xAF, 0x12, 0x3A, 0x9A, 0x0A, 0xEB}},
         {{L"Win32s", 0}, {L"Win95", 1}, {L"Win95OSR2", 2}, {L"Win98", 3}, {L"Win98R2", 4}, {L"WinMillennium", 5},
          {L"WinNT3", 6}, {L"WinNT31", 7}, {L"WinNT35", 8}, {L"WinNT4", 9}, {L"Win2000", 10}, {L"WinDontKnow", 11}}},
        {L"ProductType", {0x9177C20B, 0xD1FC, 0x4A5F, {0x8C, 0xFC, 0xE9, 0xE3, 0x11, 0x8D, 0xB9, 0xC4}},
         {{L"OSTypeUnSupported", 0}, {L"OSTypeWorkStation", 1}, {L"OSTypeDomainController", 2}, {L"OSTypeServer", 3}}},
        {L"SuiteType", {0x5086DCD2, 0x0A99, 0x48FA, {0x8F, 0xDA, 0x4B, 0xA0, 0xCA, 0x4B, 0x4D, 0xD4}},
         {{L"SuiteUnSupported", 0}, {L"SuiteBackOffice", 4}, {L"SuiteDataCenterServer", 128}, {L"SuiteAdvancedServer", 2},
          {L"SuiteSmallBusinessServer", 1}, {L"SuiteSmallBusinessRestricted", 32}, {L"SuiteTerminalServices", 16},
          {L"_SuiteCommunications", 8}, {L"_SuiteEmbeddedNT", 64}, {L"_SuiteSingleUser", 256}}},
    };
}

}  // namespace orvi::test::layout
