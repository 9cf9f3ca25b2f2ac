// clsKvOrviUtilitesA: file, date and text routines for clients and scripts.
// The members are spread over file_members.cpp, date_members.cpp,
// text_members.cpp and shell_members.cpp; this is the member table.
#pragma once
#include "com_object.h"
#include "orvilib10_h.h"

class clsKvOrviUtilitesA final : public orvi::ComObject<clsKvOrviUtilitesA, _clsKvOrviUtilitesA> {
public:
    // Starts with its own machine-information and locale objects; releases
    // the machine-information object first.
    void StartUp();
    ~clsKvOrviUtilitesA();

    // Public object fields
    STDMETHODIMP get_MyComputer(_clsKvOrviUtilitesWinInfoA** result) override;
    STDMETHODIMP put_MyComputer(_clsKvOrviUtilitesWinInfoA* value) override;
    STDMETHODIMP putref_MyComputer(_clsKvOrviUtilitesWinInfoA* value) override;
    STDMETHODIMP get_MyLocale(_clsKvOrviUtilitesLocaleA** result) override;
    STDMETHODIMP put_MyLocale(_clsKvOrviUtilitesLocaleA* value) override;
    STDMETHODIMP putref_MyLocale(_clsKvOrviUtilitesLocaleA* value) override;

    // Shell, sound and window
    STDMETHODIMP DLLBaseAddress(BSTR* result) override;
    STDMETHODIMP FormOnTop(long* hWnd, VARIANT_BOOL* OnTop) override;
    STDMETHODIMP PlaySound(BSTR* FromSoundFile, VARIANT_BOOL* Continuous) override;
    STDMETHODIMP ShellEx(BSTR sFile, EShellShowConstants eShowCmd, BSTR sParameters, BSTR sDefaultDir, BSTR* sOperation,
                         long* Owner, VARIANT_BOOL* result) override;
    STDMETHODIMP ShortCut() override;
    STDMETHODIMP Wait(float HowLong, VARIANT_BOOL* AsMilliSecs, VARIANT_BOOL* result) override;

    // Text and numbers
    STDMETHODIMP AsPercent(long* MaxVal, long* ValNow, VARIANT_BOOL* UpToMax, short* result) override;
    STDMETHODIMP Extract(BSTR TextIN, BSTR* StartTag, BSTR EndTag, BSTR* result) override;
    STDMETHODIMP Gender(VARIANT* GenderX, VARIANT* result) override;
    STDMETHODIMP GUIDx(VARIANT_BOOL* Formatted, BSTR* result) override;
    STDMETHODIMP PI(double* result) override;
    STDMETHODIMP RandomNumber(short* Lower, short* Upper, short* result) override;
    STDMETHODIMP SoundX(BSTR pWord, unsigned char* pAccuracy, BSTR* result) override;
    STDMETHODIMP SoundsLike(BSTR WordIN, short* Accuracy, VARIANT_BOOL* AsNumeric, BSTR* result) override;

    // Files
    STDMETHODIMP FileAttributes(BSTR Filename, BSTR* result) override;
    STDMETHODIMP FileCopy(BSTR* SourceFile, BSTR* TargetFile, BSTR* ErrMsg, VARIANT_BOOL* result) override;
    STDMETHODIMP FileCopyAPI(BSTR* Src, BSTR* dest, VARIANT_BOOL* FailIfDestExists, VARIANT_BOOL* result) override;
    STDMETHODIMP FileCreated(BSTR Filename, DATE* result) override;
    STDMETHODIMP FileDirectories(BSTR StartPath, _Collection* colFilePaths) override;
    STDMETHODIMP FileExists(BSTR Filename, VARIANT_BOOL* result) override;
    STDMETHODIMP FileFind(BSTR* RootPath, BSTR* Filename, BSTR* result) override;
    STDMETHODIMP FileKill(BSTR* FileMask, VARIANT* OlderThan, VARIANT_BOOL* Prompt, VARIANT_BOOL* result) override;
    STDMETHODIMP FileLastAccessed(BSTR Filename, DATE* result) override;
    STDMETHODIMP FileLastModified(BSTR Filename, DATE* result) override;
    STDMETHODIMP FilePart(BSTR* FullPath, FilePartTypes* WhichPart, BSTR* result) override;
    STDMETHODIMP FileRead(BSTR Filename, BSTR* result) override;
    STDMETHODIMP FileShortPath(BSTR Filename, BSTR* result) override;
    STDMETHODIMP FileSize(BSTR Filename, long* result) override;
    STDMETHODIMP FileWrite(BSTR Filename, BSTR FileContents, VARIANT_BOOL* result) override;

    // Dates
    STDMETHODIMP BusinessDays(VARIANT Date1, VARIANT Date2, VARIANT_BOOL* WeekEndsOnly, long* result) override;
    STDMETHODIMP BusinessDaysAdd(DATE SomeDate, long Days, VARIANT_BOOL SaturdayIsHoliday, DATE* result) override;
    STDMETHODIMP DaysInMonth(VARIANT SomeDate, short* result) override;
    STDMETHODIMP DaysInYear(VARIANT SomeValue, short* result) override;
    STDMETHODIMP DayPart(VARIANT* vTime, BSTR* Greeting, BSTR* result) override;
    STDMETHODIMP EndOfMonth(VARIANT* SomeDate, DATE* result) override;
    STDMETHODIMP EndOfWeek(DATE SomeDate, DATE* result) override;
    STDMETHODIMP ExactAge(VARIANT* StartDate, VARIANT_BOOL* YearsOnly, BSTR* result) override;
    STDMETHODIMP HowOld(VARIANT* varBirthDate, short* result) override;
    STDMETHODIMP IsGoodDate(VARIANT* DateIN, VARIANT* CompDate, GoodDateTypes DateType, VARIANT_BOOL IsRequired,
                            VARIANT_BOOL* result) override;
    STDMETHODIMP IsLeapYear(VARIANT SomeValue, VARIANT_BOOL* result) override;
    STDMETHODIMP IsWeekend(VARIANT SomeDate, VARIANT_BOOL* result) override;
    STDMETHODIMP NextDate(DATE d, DayOfWeek WhatDay, VARIANT_BOOL* GetNext, DATE* result) override;
    STDMETHODIMP WeekNo(VARIANT* SomeDate, short* result) override;
    STDMETHODIMP Today(DATE* result) override;
    STDMETHODIMP Tomorrow(DATE* result) override;
    STDMETHODIMP Yesterday(DATE* result) override;

private:
    orvi::ComPtr<_clsKvOrviUtilitesWinInfoA> myComputer;
    orvi::ComPtr<_clsKvOrviUtilitesLocaleA> myLocale;
};

namespace orvi::utilities {

// The argument behind an in/out pointer; error 5 for a null pointer.
template <class T>
T& Argument(T* pointer) {
    if (!pointer) Raise(errInvalidCall);
    return *pointer;
}

inline VARIANT_BOOL AsBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace orvi::utilities
