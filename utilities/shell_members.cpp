// clsKvOrviUtilitesA: its object fields, start-up, and the shell, sound,
// window and timing members.
#include "frame/ansi.h"
#include "orvilib10_h.h"
#include "utilities/shell_routines.h"
#include "utilities_class.h"

using namespace orvi;
using orvi::utilities::Argument;

void clsKvOrviUtilitesA::StartUp() {
    myComputer = CreateComponent<_clsKvOrviUtilitesWinInfoA>(__uuidof(clsKvOrviUtilitesWinInfoA));
    myLocale = CreateComponent<_clsKvOrviUtilitesLocaleA>(__uuidof(clsKvOrviUtilitesLocaleA));
}

clsKvOrviUtilitesA::~clsKvOrviUtilitesA() {
    myComputer.Reset();
    myLocale.Reset();
}

STDMETHODIMP clsKvOrviUtilitesA::get_MyComputer(_clsKvOrviUtilitesWinInfoA** result) {
    return Produce(result, [&] { return myComputer; });
}
// Assigning the field by value or by reference stores the same reference.
STDMETHODIMP clsKvOrviUtilitesA::put_MyComputer(_clsKvOrviUtilitesWinInfoA* value) { return putref_MyComputer(value); }
STDMETHODIMP clsKvOrviUtilitesA::putref_MyComputer(_clsKvOrviUtilitesWinInfoA* value) {
    myComputer = ComPtr<_clsKvOrviUtilitesWinInfoA>(value);
    return S_OK;
}
STDMETHODIMP clsKvOrviUtilitesA::get_MyLocale(_clsKvOrviUtilitesLocaleA** result) {
    return Produce(result, [&] { return myLocale; });
}
STDMETHODIMP clsKvOrviUtilitesA::put_MyLocale(_clsKvOrviUtilitesLocaleA* value) { return putref_MyLocale(value); }
STDMETHODIMP clsKvOrviUtilitesA::putref_MyLocale(_clsKvOrviUtilitesLocaleA* value) {
    myLocale = ComPtr<_clsKvOrviUtilitesLocaleA>(value);
    return S_OK;
}

STDMETHODIMP clsKvOrviUtilitesA::DLLBaseAddress(BSTR* result) {
    return Produce(result, [&] { return Bstr(shell::ProposeDllBaseAddress()); });
}

STDMETHODIMP clsKvOrviUtilitesA::FormOnTop(long* hWnd, VARIANT_BOOL* OnTop) {
    return Member([&] { shell::KeepOnTop(Argument(hWnd), Argument(OnTop) != VARIANT_FALSE); });
}

STDMETHODIMP clsKvOrviUtilitesA::PlaySound(BSTR* FromSoundFile, VARIANT_BOOL* Continuous) {
    return Member([&] {
        BSTR& file = Argument(FromSoundFile);
        VARIANT_BOOL existsAsGiven = VARIANT_FALSE, existsInMedia = VARIANT_FALSE;
        Check(FileExists(file, &existsAsGiven));
        if (!myComputer) Raise(errObjectNotSet);
        DIR_TYPE windows = dirWINDOWS;
        Bstr windowsFolder, name;
        Check(myComputer->Directory(&windows, windowsFolder.Put()));
        FilePartTypes part = FileNameAndExt;
        Bstr given(Bstr::ViewOf(file));
        BSTR path = given.Get();
        Check(FilePart(&path, &part, name.Put()));
        const Bstr inMedia(std::wstring(windowsFolder.View()) + L"\\Media\\" + std::wstring(name.View()));
        Check(FileExists(inMedia.Get(), &existsInMedia));
        if (existsAsGiven == VARIANT_FALSE && existsInMedia == VARIANT_FALSE) return;
        const std::wstring asGiven(Bstr::ViewOf(file));
        if (!shell::PlayWave(asGiven, Continuous && *Continuous != VARIANT_FALSE)) return;
        // The name reads back as it went to the system.
        Bstr roundTrip(FromAnsi(ToAnsi(asGiven)));
        SysFreeString(file);
        file = roundTrip.Detach();
    });
}

STDMETHODIMP clsKvOrviUtilitesA::ShellEx(BSTR sFile, EShellShowConstants eShowCmd, BSTR sParameters, BSTR sDefaultDir,
                                         BSTR* sOperation, long* Owner, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    shell::LaunchRequest request;
    request.file = Bstr::ViewOf(sFile);
    request.showCommand = static_cast<long>(eShowCmd);
    request.parameters = Bstr::ViewOf(sParameters);
    request.defaultDirectory = Bstr::ViewOf(sDefaultDir);
    request.operation = sOperation ? std::wstring(Bstr::ViewOf(*sOperation)) : std::wstring(L"open");
    request.owner = Owner ? *Owner : 0;
    // Never fails: a refused launch is False with the reason on the thread.
    HRESULT written = S_OK;
    *result = AsVariantBool(shell::Launch(request));
    if (sOperation) {
        ComPtr<IErrorInfo> reason;
        GetErrorInfo(0, reason.Put());
        written = Member([&] {
            Bstr operation(request.operation);
            SysFreeString(*sOperation);
            *sOperation = operation.Detach();
        });
        SetErrorInfo(0, reason.Get());
    }
    return written;
}

STDMETHODIMP clsKvOrviUtilitesA::ShortCut() {
    shell::WriteDesktopShortcut();
    return S_OK;
}

STDMETHODIMP clsKvOrviUtilitesA::Wait(float HowLong, VARIANT_BOOL* AsMilliSecs, VARIANT_BOOL* result) {
    return Produce(result, [&] {
        shell::Pause(HowLong, AsMilliSecs && *AsMilliSecs != VARIANT_FALSE);
        return VARIANT_TRUE;
    });
}
