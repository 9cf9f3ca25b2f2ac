#include "shell_routines.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <random>

#include "ansi.h"
#include "frame/ansi.h"
#include "com_ptr.h"
#include "error_object.h"
#include "errors.h"
#include "handles.h"
#include "component_identity.h"
#include "late_bound.h"
#include "module.h"
#include "system_function.h"
#include "thread_state.h"
#include "utilities/pure/shell_rules.h"

namespace orvi::shell {
namespace {

const SystemFunction<decltype(&ShellExecuteA)> shellExecute{"shell32.dll", "ShellExecuteA"};
const SystemFunction<decltype(&SetWindowPos)> setWindowPos{"user32.dll", "SetWindowPos"};
const SystemFunction<decltype(&Sleep)> sleep{"kernel32.dll", "Sleep"};
const SystemFunction<decltype(&GetTickCount)> getTickCount{"kernel32.dll", "GetTickCount"};
const SystemFunction<decltype(&QueryPerformanceCounter)> queryPerformanceCounter{"kernel32.dll", "QueryPerformanceCounter"};
const SystemFunction<BOOL(WINAPI*)(LPCSTR, UINT)> sndPlaySound{"winmm.dll", "sndPlaySoundA"};

// The component's folder with a trailing separator.
std::wstring ComponentFolder() {
    std::wstring path = module::FilePath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// The component's file name without folder and extension.
std::wstring ComponentFileStem() {
    std::wstring path = module::FilePath();
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

VARIANT Text(Bstr& text) { return TextArgument(text.Get()); }

}  // namespace

std::wstring ComponentName() {
    auto& cached = CurrentThreadState().componentName;
    if (!cached || cached->empty()) cached = kLibraryName;
    return *cached;
}

std::wstring ComponentVersionText() { return VersionText(kMajorVersion, kMinorVersion, kRevision); }

bool Launch(LaunchRequest& request) {
    // The shell's answers for a file and a folder it cannot find.
    constexpr long kFileNotFound = 2, kPathNotFound = 3;
    long returned = 0;
    Attempt([&] {
        const bool hasParametersOrFolder = !request.parameters.empty() || !request.defaultDirectory.empty();
        const int show = ShellShowState(request.file, hasParametersOrFolder, static_cast<int>(request.showCommand));
        const std::string operation = ToAnsi(request.operation);
        request.operation = FromAnsi(operation);
        // A name the code page cannot hold exactly names nothing the shell
        // could find (converted, it could name another document). The
        // shell's own buffers hold MAX_PATH: a longer name crashes it (from
        // about 1,000 characters under Wine) or hangs it, so it is refused
        // the same way.
        const auto file = ExactAnsi(request.file);
        if (!file || file->size() >= MAX_PATH) {
            returned = kFileNotFound;
            return;
        }
        const auto folder = hasParametersOrFolder ? ExactAnsi(request.defaultDirectory) : std::string();
        if (!folder) {
            returned = kPathNotFound;
            return;
        }
        const std::string parameters = hasParametersOrFolder ? ToAnsi(request.parameters) : std::string();
        const HINSTANCE result = shellExecute(HandleFrom<HWND>(request.owner), operation.c_str(),
                                              file->c_str(), parameters.c_str(), folder->c_str(), show);
        returned = static_cast<long>(reinterpret_cast<LONG_PTR>(result));
    });
    if (returned > 32 || returned < 0) return true;
    const ShellError error = ShellErrorFor(returned);
    LeaveErrorOnThread(error.number, ComponentFileStem() + L".GShell", error.description);
    return false;
}

std::wstring ProposeDllBaseAddress() {
    // Reseeded from the timer at every call.
    LARGE_INTEGER counter{};
    queryPerformanceCounter(&counter);
    std::minstd_rand generator(static_cast<unsigned>(counter.QuadPart ^ getTickCount()));
    const float draw = std::uniform_real_distribution<float>(0.0f, 1.0f)(generator);
    if (auto address = DllBaseAddressFor(draw < 1.0f ? draw : 0.0f)) return *address;
    Raise(errOverflow);
}

void KeepOnTop(long window, bool onTop) {
    setWindowPos(HandleFrom<HWND>(window), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
}

void Pause(float howLong, bool asMilliseconds) {
    const auto milliseconds = PauseMilliseconds(howLong, asMilliseconds);
    if (!milliseconds) Raise(errOverflow);
    if (*milliseconds > 0) sleep(static_cast<DWORD>(*milliseconds));
}

void WriteDesktopShortcut() {
    Attempt([] {
        ComPtr<IDispatch> shell = CreateObjectByProgId(L"WScript.Shell");
        Bstr which(L"AllUsersDesktop");
        Variant folders = CallByName(shell.Get(), L"SpecialFolders", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Text(which)});
        Variant desktop;
        if (FAILED(VariantChangeType(desktop.Put(), folders.Get(), 0, VT_BSTR))) Raise(errTypeMismatch);
        const std::wstring name = ComponentName();
        Bstr folder(ComponentFolder());
        Variant expanded = CallByName(shell.Get(), L"ExpandEnvironmentStrings", DISPATCH_METHOD, {Text(folder)});
        std::wstring where(V_VT(expanded.Get()) == VT_BSTR ? Bstr::ViewOf(V_BSTR(expanded.Get())) : std::wstring_view());
        // Some shells count a closing zero into the expanded text.
        where = where.substr(0, where.find(L'\0'));
        const std::wstring program = where + name + L".exe";

        // The shell link object itself writes the file: it takes a target
        // that does not exist yet, which the script host's shortcut refuses.
        ComPtr<IShellLinkW> link;
        Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW), link.PutVoid()));
        Attempt([&] { Check(link->SetPath(program.c_str())); });
        Attempt([&] { Check(link->SetWorkingDirectory(where.c_str())); });
        Attempt([&] { Check(link->SetShowCmd(4)); });
        Attempt([&] { Check(link->SetIconLocation(program.c_str(), 0)); });
        const std::wstring file = std::wstring(Bstr::ViewOf(V_BSTR(desktop.Get()))) + L"\\" + name + L".lnk";
        Check(link.As<IPersistFile>()->Save(file.c_str(), TRUE));
    });
    SetErrorInfo(0, nullptr);
}

bool PlayWave(const std::wstring& file, bool continuous) {
    // A name the code page cannot hold exactly could play another file.
    const auto name = ExactAnsi(file);
    if (!name) return false;
    sndPlaySound(name->c_str(), continuous ? (SND_ASYNC | SND_LOOP) : SND_ASYNC);
    return true;
}

}  // namespace orvi::shell
