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
        {L"_clsKvOrviInformationA", &IID__clsKvOrviInformationA,
         {{L"GetProStdProperties", L"get", 0x68030006}, {L"GetProResStrings", L"get", 0x68030005}, {L"GetProResPicture", L"get", 0x68030004},
          {L"GetProResData", L"get", 0x68030003}, {L"About", L"method", 0x60030008}, {L"BuddyObjectGlobal", L"get", 0x68030002},
          {L"BuddyObjectGlobal", L"set", 0x68030002}, {L"OSVERSIONINFO", L"get", 0x68030001}, {L"IEVersionInfo", L"get", 0x68030000}}},
        {L"_clsKvOrviInformationB", &IID__clsKvOrviInformationB,
         {{L"VirtualMemoryFree", L"get", 0x68030007}, {L"VirtualMemoryTotal", L"get", 0x68030006}, {L"MemoryFree", L"get", 0x68030005},
          {L"MemoryTotal", L"get", 0x68030004}, {L"WinVersion", L"get", 0x68030003}, {L"WinName", L"get", 0x68030002},
          {L"CPUVersion", L"get", 0x68030001}, {L"IEVersion", L"get", 0x68030000}, {L"GetDisplayBitsPerPixel", L"method", 0x6003000A}}},
        {L"_clsKvOrviUtilitesWinInfoA", &IID__clsKvOrviUtilitesWinInfoA,
         {{L"name", L"get", 0x68030008}, {L"CurrentUser", L"get", 0x68030007}, {L"MaxScreenColors", L"get", 0x68030006},
          {L"OSVersion", L"get", 0x68030005}, {L"ScreenPixelWidth", L"get", 0x68030004}, {L"ScreenPixelHeight", L"get", 0x68030003},
          {L"ScreenResolution", L"get", 0x68030002}, {L"SystemErrorCode", L"get", 0x68030001}, {L"SoundCard", L"get", 0x68030000},
          {L"AboutBox", L"method", 0x6003000B}, {L"APIFunctionPresent", L"method", 0x6003000C}, {L"CascadeWindows", L"method", 0x6003000D},
          {L"ControlPanel", L"method", 0x6003000E}, {L"Directory", L"method", 0x6003000F}, {L"DriveMBFree", L"method", 0x60030010},
          {L"DriveMBSize", L"method", 0x60030011}, {L"DriveName", L"method", 0x60030012}, {L"DriveType", L"method", 0x60030013},
          {L"DSNs", L"method", 0x60030014}, {L"IsConnectedToInternet", L"method", 0x60030015}, {L"MemoryAvailable", L"method", 0x60030016},
          {L"MemoryAvailablePhysical", L"method", 0x60030017}, {L"MemoryInTotal", L"method", 0x60030018}, {L"MemoryPageFile", L"method", 0x60030019},
          {L"MemoryPageFileSize", L"method", 0x6003001A}, {L"MemoryPercentFree", L"method", 0x6003001B}, {L"MemoryTotalPhysical", L"method", 0x6003001C},
          {L"Running", L"method", 0x6003001D}, {L"ShutDown", L"method", 0x6003001E}, {L"Started", L"method", 0x6003001F},
          {L"LoadSystemIcon", L"method", 0x60030024}, {L"DrawIcon", L"method", 0x60030025}}},
        {L"_clsKvOrviUtilitesLocaleA", &IID__clsKvOrviUtilitesLocaleA,
         {{L"DateFormat", L"get", 0x6803000C}, {L"TimeFormat", L"get", 0x6803000B}, {L"NumberFormat", L"get", 0x6803000A},
          {L"ThousandSpecifier", L"get", 0x68030009}, {L"DecimalSpecifier", L"get", 0x68030008}, {L"CurrencySpecifier", L"get", 0x68030007},
          {L"SysLanguageID", L"get", 0x68030006}, {L"SysLanguageName", L"get", 0x68030005}, {L"Country", L"get", 0x68030004},
          {L"LanguageName", L"get", 0x68030003}, {L"NativeCountryName", L"get", 0x68030002}, {L"PositiveSign", L"get", 0x68030001},
          {L"NegativeSign", L"get", 0x68030000}, {L"DayName", L"method", 0x6003000E}, {L"MonthName", L"method", 0x6003000F}}},
        {L"_clsKvOrviIPHostA", &IID__clsKvOrviIPHostA,
         {{L"GetIPAddress", L"method", 0x60030001}, {L"GetIPHostName", L"method", 0x60030002}, {L"HiByte", L"method", 0x60030003},
          {L"LoByte", L"method", 0x60030004}, {L"SocketsCleanup", L"method", 0x60030005}, {L"SocketsInitialize", L"method", 0x60030006}}},
        {L"_clsKvOrviEthernetAddressA", &IID__clsKvOrviEthernetAddressA,
         {{L"EthernetAddress", L"method", 0x60030001}}},
        {L"_clsKvOrviBiosDataA", &IID__clsKvOrviBiosDataA,
         {{L"VideoBiosDate", L"get", 0x68030006}, {L"VideoBiosVersion", L"get", 0x68030005}, {L"VideoBiosCopyRight", L"get", 0x68030004},
          {L"SystemBiosDate", L"get", 0x68030003}, {L"SystemBiosCopyRight", L"get", 0x68030002}, {L"SystemBiosVersion", L"get", 0x68030001},
          {L"SystemBiosExtraInfo", L"get", 0x68030000}}},
        {L"_clsKvOrviUtilitesA", &IID__clsKvOrviUtilitesA,
         {{L"MyComputer", L"get", 0x40030000}, {L"MyComputer", L"set", 0x40030000, true}, {L"MyLocale", L"get", 0x40030001},
          {L"MyLocale", L"set", 0x40030001, true}, {L"AsPercent", L"method", 0x60030002}, {L"DLLBaseAddress", L"method", 0x60030003},
          {L"Extract", L"method", 0x60030004}, {L"FileAttributes", L"method", 0x60030005}, {L"FileCopy", L"method", 0x60030006},
          {L"FileCopyAPI", L"method", 0x60030007}, {L"FileCreated", L"method", 0x60030008}, {L"FileDirectories", L"method", 0x60030009},
          {L"FileExists", L"method", 0x6003000A}, {L"FileFind", L"method", 0x6003000B}, {L"FileKill", L"method", 0x6003000C},
          {L"FileLastAccessed", L"method", 0x6003000D}, {L"FileLastModified", L"method", 0x6003000E}, {L"FilePart", L"method", 0x6003000F},
          {L"FileRead", L"method", 0x60030010}, {L"FileShortPath", L"method", 0x60030011}, {L"FileSize", L"method", 0x60030012},
          {L"FileWrite", L"method", 0x60030013}, {L"FormOnTop", L"method", 0x60030015}, {L"Gender", L"method", 0x60030016},
          {L"GUIDx", L"method", 0x60030017}, {L"PI", L"method", 0x60030018}, {L"PlaySound", L"method", 0x60030019},
          {L"RandomNumber", L"method", 0x6003001A}, {L"ShellEx", L"method", 0x6003001B}, {L"ShortCut", L"method", 0x6003001C},
          {L"SoundX", L"method", 0x6003001D}, {L"SoundsLike", L"method", 0x6003001E}, {L"Wait", L"method", 0x6003001F},
          {L"BusinessDays", L"method", 0x60030020}, {L"BusinessDaysAdd", L"method", 0x60030021}, {L"DaysInMonth", L"method", 0x60030022},
          {L"DaysInYear", L"method", 0x60030023}, {L"DayPart", L"method", 0x60030024}, {L"EndOfMonth", L"method", 0x60030025},
          {L"EndOfWeek", L"method", 0x60030026}, {L"ExactAge", L"method", 0x60030027}, {L"HowOld", L"method", 0x60030028},
          {L"IsGoodDate", L"method", 0x60030029}, {L"IsLeapYear", L"method", 0x6003002A}, {L"IsWeekend", L"method", 0x6003002B},
          {L"NextDate", L"method", 0x6003002C}, {L"WeekNo", L"method", 0x6003002D}, {L"Today", L"method", 0x6003002E},
          {L"Tomorrow", L"method", 0x6003002F}, {L"Yesterday", L"method", 0x60030030}}},
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
