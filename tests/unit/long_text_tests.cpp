// Texts past the fixed buffers the platform keeps (MAX_PATH, the shell's
// 1,024 characters, 64 KB counted strings), given late-bound to every member
// that hands a text to the system: each answers, with a value or an error of
// its own, and the host stays up.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "errors.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

int launches = 0;
HINSTANCE WINAPI CountLaunch(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    ++launches;
    return reinterpret_cast<HINSTANCE>(2);
}

TEST(LongTexts, EveryMemberThatHandsATextToTheSystemAnswers) {
    SubstituteScope scope;
    scope.Replace<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA", &CountLaunch);
    const auto machine = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviUtilitesWinInfoA));
    const auto utilities = CreateThroughFactory<IDispatch>(__uuidof(clsKvOrviUtilitesA));
    struct Member { IDispatch* object; const wchar_t* name; int texts; } members[] = {
        {machine.Get(), L"APIFunctionPresent", 2}, {machine.Get(), L"DriveMBFree", 1}, {machine.Get(), L"DriveMBSize", 1},
        {machine.Get(), L"DriveName", 1}, {machine.Get(), L"DriveType", 1}, {utilities.Get(), L"FileAttributes", 1},
        {utilities.Get(), L"FileExists", 1}, {utilities.Get(), L"FileCreated", 1}, {utilities.Get(), L"FileLastAccessed", 1},
        {utilities.Get(), L"FileLastModified", 1}, {utilities.Get(), L"FileRead", 1}, {utilities.Get(), L"FileShortPath", 1},
        {utilities.Get(), L"FileSize", 1}, {utilities.Get(), L"FileFind", 2}, {utilities.Get(), L"FileCopyAPI", 2},
        {utilities.Get(), L"ShellEx", 1}};
    for (std::size_t length : {260u, 1000u, 70000u, 1u << 20}) {
        const std::wstring text = L"C:\\" + std::wstring(length, L'n');
        for (const Member& member : members) {
            const std::vector<Variant> arguments(static_cast<std::size_t>(member.texts), TextValue(text.c_str()));
            const LateCall call = CallMethod(member.object, member.name, arguments);
            const HRESULT answer = call.hr == DISP_E_EXCEPTION ? call.exception.scode : call.hr;
            EXPECT_TRUE(answer == S_OK || ErrorNumberOf(answer) != 0) << member.name << " " << length << " " << std::hex << answer;
        }
    }
    EXPECT_EQ(0, launches);  // no name that long reaches the shell
    SetErrorInfo(0, nullptr);
}

}  // namespace
