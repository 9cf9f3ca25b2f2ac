// The file members of the utilities class in a private temporary folder.
#include <mmsystem.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "errors.h"
#include "late_bound.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A fresh folder under the prefix's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path = std::string(base) + "orvi_files_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path); }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::wstring W(const std::string& name = {}) const { return Widen(name.empty() ? path : path + "\\" + name); }
    void Make(const std::string& name, const std::string& bytes = "x") const {
        HANDLE h = CreateFileA((*this / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    void Folder(const std::string& name) const { CreateDirectoryA((*this / name).c_str(), nullptr); }
    std::string path;

private:
    static void Remove(const std::string& folder) {
        WIN32_FIND_DATAA entry;
        HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName, full = folder + "\\" + name;
                if (name == "." || name == "..") continue;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(full);
                else DeleteFileA(full.c_str());
            } while (FindNextFileA(h, &entry));
            FindClose(h);
        }
        RemoveDirectoryA(folder.c_str());
    }
    static inline int counter = 0;
};

// An in/out text argument the member may replace.
struct InOut {
    explicit InOut(const std::wstring& text) : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~InOut() { SysFreeString(value); }
    InOut(const InOut&) = delete;
    InOut& operator=(const InOut&) = delete;
    void Set(const std::wstring& text) {
        SysFreeString(value);
        value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    std::wstring_view View() const { return Bstr::ViewOf(value); }
    BSTR value;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Contents(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    return bytes;
}

FILETIME Utc(WORD y, WORD m, WORD d, WORD h, WORD mi) {
    SYSTEMTIME st{y, m, 0, d, h, mi, 0, 0};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}
void SetStamps(const std::string& path, const FILETIME* created, const FILETIME* accessed, const FILETIME* written) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    SetFileTime(h, created, accessed, written);
    CloseHandle(h);
}

// The clock seen by the members: UTC and local time two hours apart.
SYSTEMTIME utcClock{2024, 6, 0, 15, 12, 0, 0, 0}, localClock{2024, 6, 0, 15, 14, 0, 0, 0};
void WINAPI FakeUtc(LPSYSTEMTIME t) { *t = utcClock; }
void WINAPI FakeLocal(LPSYSTEMTIME t) { *t = localClock; }

struct Question {
    int asked = 0;
    std::string text, caption;
    UINT flags = 0;
    int answer = IDNO;
} question;
int WINAPI FakeMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT flags) {
    ++question.asked;
    question.text = text;
    question.caption = caption;
    question.flags = flags;
    return question.answer;
}

class Files : public testing::Test {
protected:
    void SetUp() override {
        utilities = CreateThroughFactory<_clsKvOrviUtilitesA>(__uuidof(clsKvOrviUtilitesA));
        ASSERT_TRUE(utilities);
        scope.Replace<decltype(&::MessageBoxA)>("user32.dll", "MessageBoxA", &FakeMessageBox);
        question = Question{};
    }
    bool Bool(HRESULT (STDMETHODCALLTYPE _clsKvOrviUtilitesA::*member)(BSTR, VARIANT_BOOL*), const std::wstring& name) {
        Bstr text(name);
        VARIANT_BOOL result = 7;
        EXPECT_EQ(S_OK, (utilities.Get()->*member)(text.Get(), &result));
        return result == VARIANT_TRUE;
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE _clsKvOrviUtilitesA::*member)(BSTR, BSTR*), const std::wstring& name) {
        Bstr text(name), result;
        EXPECT_EQ(S_OK, (utilities.Get()->*member)(text.Get(), result.Put()));
        return std::wstring(result.View());
    }
    DATE Stamp(HRESULT (STDMETHODCALLTYPE _clsKvOrviUtilitesA::*member)(BSTR, DATE*), const std::wstring& name) {
        Bstr text(name);
        DATE result = -1;
        EXPECT_EQ(S_OK, (utilities.Get()->*member)(text.Get(), &result));
        return result;
    }
    bool Write(const std::wstring& name, const std::wstring& contents) {
        Bstr n(name), c(contents);
        VARIANT_BOOL result = 7;
        EXPECT_EQ(S_OK, utilities->FileWrite(n.Get(), c.Get(), &result));
        return result == VARIANT_TRUE;
    }
    bool Kill(const std::wstring& mask, const VARIANT* olderThan, bool prompt) {
        InOut m(mask);
        Variant older;
        if (olderThan) VariantCopy(older.Put(), const_cast<VARIANT*>(olderThan));
        else *older.Put() = MissingArgument();
        VARIANT_BOOL ask = prompt ? VARIANT_TRUE : VARIANT_FALSE, result = 7;
        EXPECT_EQ(S_OK, utilities->FileKill(&m.value, older.Get(), &ask, &result));
        return result == VARIANT_TRUE;
    }
    SubstituteScope scope;
    ComPtr<_clsKvOrviUtilitesA> utilities;
    TempFolder folder;
};

DWORD reportedAttributes = 0;
DWORD WINAPI FakeAttributes(LPCSTR) { return reportedAttributes; }

TEST_F(Files, AttributeLettersInTheirOrder) {
    folder.Make("marked.txt");
    SetFileAttributesA((folder / "marked.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    folder.Folder("sub");
    EXPECT_EQ(L"AHR", Text(&_clsKvOrviUtilitesA::FileAttributes, folder.W("marked.txt")));
    EXPECT_EQ(L'D', Text(&_clsKvOrviUtilitesA::FileAttributes, folder.W("sub")).at(0));
    EXPECT_EQ(L"", Text(&_clsKvOrviUtilitesA::FileAttributes, folder.W("missing.txt")));
    // A pattern exists when something matches, but has no attributes of its own.
    EXPECT_EQ(L"DASHR", Text(&_clsKvOrviUtilitesA::FileAttributes, folder.W("*.txt")));

    scope.Replace<decltype(&::GetFileAttributesA)>("kernel32.dll", "GetFileAttributesA", &FakeAttributes);
    struct Row { DWORD attributes; const wchar_t* letters; } rows[] = {
        {FILE_ATTRIBUTE_NORMAL, L""}, {0x27, L"ASHR"}, {0x10, L"D"}, {0x01, L"R"}, {0x04 | 0x02, L"SH"},
        {0x400 | 0x800 | 0x20, L"A"}, {0xFFFFFFFF, L"DASHR"}};
    for (const Row& row : rows) {
        reportedAttributes = row.attributes;
        EXPECT_EQ(row.letters, Text(&_clsKvOrviUtilitesA::FileAttributes, folder.W("marked.txt"))) << row.attributes;
    }
}

TEST_F(Files, ExistenceOfFoldersRootsAndPatterns) {
    folder.Folder("sub");
    folder.Make("a.txt");
    EXPECT_TRUE(Bool(&_clsKvOrviUtilitesA::FileExists, folder.W("sub")));
    EXPECT_TRUE(Bool(&_clsKvOrviUtilitesA::FileExists, folder.W("sub") + L"\\"));
    EXPECT_FALSE(Bool(&_clsKvOrviUtilitesA::FileExists, L"C:\\"));
    EXPECT_TRUE(Bool(&_clsKvOrviUtilitesA::FileExists, folder.W("*.txt")));
    EXPECT_FALSE(Bool(&_clsKvOrviUtilitesA::FileExists, folder.W("*.doc")));
    EXPECT_FALSE(Bool(&_clsKvOrviUtilitesA::FileExists, L""));
    EXPECT_FALSE(Bool(&_clsKvOrviUtilitesA::FileExists, folder.W(std::string(300, 'n'))));
    EXPECT_FALSE(Bool(&_clsKvOrviUtilitesA::FileExists, folder.W("a.txt") + std::wstring(1, L'\0') + L"x"));
}

TEST_F(Files, TimeStampsAreLocalByTheCurrentOffset) {
    scope.Replace<decltype(&::GetSystemTime)>("kernel32.dll", "GetSystemTime", &FakeUtc);
    scope.Replace<decltype(&::GetLocalTime)>("kernel32.dll", "GetLocalTime", &FakeLocal);
    folder.Make("stamped.txt");
    const FILETIME accessed = Utc(2021, 7, 4, 8, 15), written = Utc(2020, 3, 1, 23, 30);
    SetStamps(folder / "stamped.txt", nullptr, &accessed, &written);
    // 23:30 UTC two hours east is 01:30 of the next day.
    EXPECT_NEAR(43892 + 1.5 / 24, Stamp(&_clsKvOrviUtilitesA::FileLastModified, folder.W("stamped.txt")), 1e-9);
    EXPECT_NEAR(44381 + 10.25 / 24, Stamp(&_clsKvOrviUtilitesA::FileLastAccessed, folder.W("stamped.txt")), 1e-9);
    EXPECT_GT(Stamp(&_clsKvOrviUtilitesA::FileCreated, folder.W("stamped.txt")), 40000);
    // West of Greenwich the hours go back.
    localClock.wHour = 7;
    EXPECT_NEAR(43891 + 18.5 / 24, Stamp(&_clsKvOrviUtilitesA::FileLastModified, folder.W("stamped.txt")), 1e-9);
    localClock.wHour = 14;
    EXPECT_EQ(0.0, Stamp(&_clsKvOrviUtilitesA::FileCreated, folder.W("missing.txt")));
    EXPECT_EQ(0.0, Stamp(&_clsKvOrviUtilitesA::FileLastModified, L""));
}

TEST_F(Files, WholeFilesKeepEveryByte) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    bytes += std::string("\0\0end\xff", 6);
    folder.Make("binary.bin", bytes);
    const std::wstring read = Text(&_clsKvOrviUtilitesA::FileRead, folder.W("binary.bin"));
    EXPECT_EQ(bytes.size(), read.size());
    ASSERT_TRUE(Write(folder.W("copy.bin"), read));
    EXPECT_EQ(bytes, Contents(folder / "copy.bin"));
    EXPECT_TRUE(Write(folder.W("empty.txt"), L""));
    EXPECT_EQ("", Contents(folder / "empty.txt"));
    EXPECT_EQ(L"", Text(&_clsKvOrviUtilitesA::FileRead, folder.W("empty.txt")));
    // Writing replaces the whole file, no length prefix or line end added.
    EXPECT_TRUE(Write(folder.W("copy.bin"), L"short"));
    EXPECT_EQ("short", Contents(folder / "copy.bin"));
}

TEST_F(Files, BadNamesNeverTouchOtherFiles) {
    folder.Make("keep1.txt", "one");
    folder.Make("keep2.txt", "two");
    folder.Folder("sub");
    folder.Make("locked.txt", "locked");
    SetFileAttributesA((folder / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring tooLong = folder.W(std::string(300, 'n') + ".txt");
    struct Row { std::wstring name; } rows[] = {{L""}, {folder.W("*.txt")}, {folder.W("keep?.txt")}, {folder.W("sub")},
                                               {folder.W("sub") + L"\\"}, {tooLong}, {folder.W("locked.txt")},
                                               {folder.W("nofolder\\x.txt")}};
    for (const Row& row : rows) {
        EXPECT_FALSE(Write(row.name, L"overwritten")) << std::string(row.name.begin(), row.name.end());
        EXPECT_EQ(L"", Text(&_clsKvOrviUtilitesA::FileRead, row.name == folder.W("locked.txt") ? folder.W("missing") : row.name));
    }
    EXPECT_EQ("one", Contents(folder / "keep1.txt"));
    EXPECT_EQ("two", Contents(folder / "keep2.txt"));
    EXPECT_EQ("locked", Contents(folder / "locked.txt"));
    EXPECT_TRUE(Exists(folder / "sub"));
    // FileRead of a read-only file reads it; of a file held open by
    // another, nothing (never blanks that look like contents).
    EXPECT_EQ(L"locked", Text(&_clsKvOrviUtilitesA::FileRead, folder.W("locked.txt")));
    HANDLE held = CreateFileA((folder / "keep1.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(L"", Text(&_clsKvOrviUtilitesA::FileRead, folder.W("keep1.txt")));
    EXPECT_FALSE(Write(folder.W("keep1.txt"), L"changed"));
    CloseHandle(held);
    EXPECT_EQ("one", Contents(folder / "keep1.txt"));
    // A hidden file is replaced and stays hidden.
    folder.Make("hidden.txt", "old");
    SetFileAttributesA((folder / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Write(folder.W("hidden.txt"), L"new"));
    EXPECT_EQ("new", Contents(folder / "hidden.txt"));
    EXPECT_TRUE(GetFileAttributesA((folder / "hidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

unsigned long long reportedSize = 0;
BOOL WINAPI FakeFileData(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID data) {
    auto* attributes = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(data);
    *attributes = WIN32_FILE_ATTRIBUTE_DATA{};
    attributes->nFileSizeHigh = static_cast<DWORD>(reportedSize >> 32);
    attributes->nFileSizeLow = static_cast<DWORD>(reportedSize);
    return TRUE;
}

TEST_F(Files, SizesPastTwoGigabytesAreNotNegative) {
    scope.Replace<decltype(&::GetFileAttributesExA)>("kernel32.dll", "GetFileAttributesExA", &FakeFileData);
    struct Row { unsigned long long bytes; HRESULT hr; long kb; } rows[] = {
        {3ull << 30, S_OK, 3145728}, {(2ull << 40) - 1024, S_OK, 0x7FFFFFFF}, {2ull << 40, static_cast<HRESULT>(0x800A0006), 0}};
    for (const Row& row : rows) {
        reportedSize = row.bytes;
        Bstr name(L"C:\\big.bin");
        long kb = -1;
        EXPECT_EQ(row.hr, utilities->FileSize(name.Get(), &kb)) << row.bytes;
        EXPECT_EQ(row.kb, kb) << row.bytes;
    }
    SetErrorInfo(0, nullptr);
}

TEST_F(Files, SizeInKilobytesAndMissingFiles) {
    folder.Make("1500.bin", std::string(1500, 'x'));
    folder.Make("1023.bin", std::string(1023, 'x'));
    folder.Make("2048.bin", std::string(2048, 'x'));
    struct Row { const char* name; long kb; } rows[] = {{"1500.bin", 1}, {"1023.bin", 0}, {"2048.bin", 2}};
    for (const Row& row : rows) {
        Bstr name(folder.W(row.name));
        long kb = -1;
        EXPECT_EQ(S_OK, utilities->FileSize(name.Get(), &kb));
        EXPECT_EQ(row.kb, kb) << row.name;
    }
    for (const std::wstring& bad : {folder.W("missing.bin"), std::wstring(), folder.W("*.bin")}) {
        Bstr name(bad);
        long kb = -1;
        EXPECT_EQ(static_cast<HRESULT>(0x800A0035), utilities->FileSize(name.Get(), &kb));
        EXPECT_EQ(0, kb);
        const ErrorReport report = TakeErrorInfo();
        EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesA", report.source);
        EXPECT_EQ(L"File not found", report.description);
    }
}

TEST_F(Files, CopyingThroughTheFileSystemObjectAndTheSystem) {
    folder.Make("source.txt", "contents");
    InOut source(folder.W("source.txt")), target(folder.W("target.txt")), message(L"as passed");
    VARIANT_BOOL copied = 7;
    EXPECT_EQ(S_OK, utilities->FileCopy(&source.value, &target.value, &message.value, &copied));
    EXPECT_EQ(VARIANT_TRUE, copied);
    EXPECT_EQ(L"as passed", message.View());
    EXPECT_EQ("contents", Contents(folder / "target.txt"));

    // A copy onto itself fails with a message and loses nothing.
    target.Set(folder.W("source.txt"));
    EXPECT_EQ(S_OK, utilities->FileCopy(&source.value, &target.value, &message.value, &copied));
    EXPECT_EQ(VARIANT_FALSE, copied);
    EXPECT_NE(std::wstring::npos, message.View().find(L" - ")) << std::wstring(message.View());
    EXPECT_EQ("contents", Contents(folder / "source.txt"));
    EXPECT_FALSE(TakeErrorInfo().present);

    // A read-only target is refused whoever runs the copy (Wine runs as
    // root); a target folder that does not exist gives the standard text.
    struct Refusal { const char* target; const wchar_t* message; } refusals[] = {
        {"locked.txt", L"70 - Permission denied"}, {"nowhere\\target.txt", L"76 - Path not found"}};
    folder.Make("locked.txt", "kept");
    SetFileAttributesA((folder / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    for (const Refusal& refusal : refusals) {
        target.Set(folder.W(refusal.target));
        EXPECT_EQ(S_OK, utilities->FileCopy(&source.value, &target.value, &message.value, &copied));
        EXPECT_EQ(VARIANT_FALSE, copied);
        EXPECT_EQ(refusal.message, message.View());
    }
    EXPECT_EQ("kept", Contents(folder / "locked.txt"));

    // A missing source: False, no message.
    InOut missing(folder.W("missing.txt")), quiet(L"");
    EXPECT_EQ(S_OK, utilities->FileCopy(&missing.value, &target.value, &quiet.value, &copied));
    EXPECT_EQ(VARIANT_FALSE, copied);
    EXPECT_EQ(L"", quiet.View());

    // A wildcard target deletes nothing.
    folder.Make("other.txt", "other");
    target.Set(folder.W("*.txt"));
    EXPECT_EQ(S_OK, utilities->FileCopy(&source.value, &target.value, &message.value, &copied));
    EXPECT_EQ(VARIANT_FALSE, copied);
    EXPECT_EQ("other", Contents(folder / "other.txt"));
    EXPECT_EQ("contents", Contents(folder / "target.txt"));

    // The system copy, and its refusal to overwrite.
    BSTR src = SysAllocString(folder.W("source.txt").c_str()), dest = SysAllocString(folder.W("api.txt").c_str());
    VARIANT_BOOL failIfExists = VARIANT_FALSE;
    EXPECT_EQ(S_OK, utilities->FileCopyAPI(&src, &dest, &failIfExists, &copied));
    EXPECT_EQ(VARIANT_TRUE, copied);
    failIfExists = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->FileCopyAPI(&src, &dest, &failIfExists, &copied));
    EXPECT_EQ(VARIANT_FALSE, copied);
    // Onto itself: refused, contents kept.
    SysFreeString(dest);
    dest = SysAllocString(folder.W("source.txt").c_str());
    failIfExists = VARIANT_FALSE;
    EXPECT_EQ(S_OK, utilities->FileCopyAPI(&src, &dest, &failIfExists, &copied));
    EXPECT_EQ(VARIANT_FALSE, copied);
    EXPECT_EQ("contents", Contents(folder / "source.txt"));
    SysFreeString(src);
    SysFreeString(dest);
    EXPECT_EQ("contents", Contents(folder / "api.txt"));
}

TEST_F(Files, KillByMaskDeletesExactlyTheMatchingFiles) {
    for (const char* name : {"a.log", "b.log", "keep.log.bak", "keep.logx", "keep.txt"}) folder.Make(name);
    folder.Folder("dir.log");
    folder.Make("hidden.log");
    SetFileAttributesA((folder / "hidden.log").c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Kill(folder.W("*.log"), nullptr, true));
    EXPECT_EQ(0, question.asked);  // no age limit, no question
    EXPECT_FALSE(Exists(folder / "a.log"));
    EXPECT_FALSE(Exists(folder / "b.log"));
    for (const char* kept : {"keep.log.bak", "keep.logx", "keep.txt", "dir.log", "hidden.log"}) EXPECT_TRUE(Exists(folder / kept)) << kept;
    // Nothing left to match: still True.
    EXPECT_TRUE(Kill(folder.W("*.log"), nullptr, false));
    EXPECT_TRUE(Kill(L"", nullptr, false));
    EXPECT_TRUE(Exists(folder / "keep.txt"));
}

TEST_F(Files, KillByAgeAsksAndDeletesOnlyOldFiles) {
    scope.Replace<decltype(&::GetSystemTime)>("kernel32.dll", "GetSystemTime", &FakeUtc);
    scope.Replace<decltype(&::GetLocalTime)>("kernel32.dll", "GetLocalTime", &FakeLocal);
    const FILETIME old = Utc(2001, 1, 1, 0, 0), recent = Utc(2023, 1, 1, 0, 0);
    for (const char* name : {"old1.tmp", "old2.tmp", "new.tmp", "old.keep"}) folder.Make(name);
    SetStamps(folder / "old1.tmp", nullptr, &old, nullptr);
    SetStamps(folder / "old2.tmp", nullptr, &old, nullptr);
    SetStamps(folder / "new.tmp", nullptr, &recent, nullptr);
    SetStamps(folder / "old.keep", nullptr, &old, nullptr);
    Variant limit = TextValue(L"2010-01-01");

    question.answer = IDNO;
    EXPECT_FALSE(Kill(folder.W("*.tmp"), limit.Get(), true));
    EXPECT_EQ(1, question.asked);
    EXPECT_EQ("Delete file(s) *.tmp", question.text);
    EXPECT_EQ("Orvilib10", question.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING), question.flags);
    EXPECT_TRUE(Exists(folder / "old1.tmp"));

    question.answer = IDYES;
    EXPECT_TRUE(Kill(folder.W("*.tmp"), limit.Get(), true));
    EXPECT_FALSE(Exists(folder / "old1.tmp"));
    EXPECT_FALSE(Exists(folder / "old2.tmp"));
    EXPECT_TRUE(Exists(folder / "new.tmp"));
    EXPECT_TRUE(Exists(folder / "old.keep"));

    // A limit that is no date does nothing.
    Variant noDate = TextValue(L"soon");
    EXPECT_TRUE(Kill(folder.W("*.*"), noDate.Get(), false));
    EXPECT_TRUE(Exists(folder / "new.tmp"));
}

TEST_F(Files, KillStoresTheDateAndReportsUndeletableFiles) {
    folder.Make("ro.dat");
    SetFileAttributesA((folder / "ro.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    InOut mask(folder.W("*.dat"));
    Variant limit = TextValue(L"2099-01-01");
    VARIANT_BOOL prompt = VARIANT_FALSE, result = 7;
    EXPECT_EQ(S_OK, utilities->FileKill(&mask.value, limit.Get(), &prompt, &result));
    EXPECT_EQ(VARIANT_FALSE, result);
    EXPECT_EQ(VT_DATE, limit.Type());
    EXPECT_TRUE(Exists(folder / "ro.dat"));
}

// A collection as an early-bound client hands it in, its IDispatch that of a
// dictionary. The member reaches it through IDispatch only, since a
// late-bound caller may pass any object with an Add.
class DictionaryCollection final : public _Collection {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(_Collection)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<_Collection*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }  // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dictionary->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override { return dictionary->GetTypeInfo(index, locale, info); }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return dictionary->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override {
        return dictionary->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
    }
    STDMETHODIMP Item(VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Add(VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Count(long*) override { return E_NOTIMPL; }
    STDMETHODIMP Remove(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP _NewEnum(IUnknown**) override { return E_NOTIMPL; }

    const ComPtr<IDispatch> dictionary = CreateObjectByProgId(L"Scripting.Dictionary");
    ULONG references = 1;
};

TEST_F(Files, SubFoldersDepthFirstIntoAnyCollection) {
    folder.Folder("A");
    folder.Folder("A\\B");
    folder.Folder("A\\B\\C");
    folder.Make("A\\file.txt");
    DictionaryCollection paths;
    Bstr start(folder.W());
    EXPECT_EQ(S_OK, utilities->FileDirectories(start.Get(), &paths));
    const Variant keys = CallByName(paths.dictionary.Get(), L"Keys", DISPATCH_METHOD);
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, keys.Type());
    SAFEARRAY* array = V_ARRAY(keys.Get());
    ASSERT_EQ(0, static_cast<int>(array->rgsabound[0].lLbound));
    ASSERT_EQ(3u, array->rgsabound[0].cElements);
    const VARIANT* items = static_cast<const VARIANT*>(array->pvData);
    EXPECT_EQ(folder.W("A\\"), Bstr::ViewOf(V_BSTR(&items[0])));
    EXPECT_EQ(folder.W("A\\B\\"), Bstr::ViewOf(V_BSTR(&items[1])));
    EXPECT_EQ(folder.W("A\\B\\C\\"), Bstr::ViewOf(V_BSTR(&items[2])));

    // The same folders again: the collection refuses the keys it holds.
    EXPECT_TRUE(FAILED(utilities->FileDirectories(start.Get(), &paths)));
    EXPECT_EQ(static_cast<HRESULT>(0x800A005B), utilities->FileDirectories(start.Get(), nullptr));
    Bstr empty;
    EXPECT_EQ(static_cast<HRESULT>(0x800A0005), utilities->FileDirectories(empty.Get(), &paths));
    Bstr leaf(folder.W("A\\B\\C"));
    DictionaryCollection none;
    EXPECT_EQ(S_OK, utilities->FileDirectories(leaf.Get(), &none));
    EXPECT_EQ(0, LongOf(CallByName(none.dictionary.Get(), L"Count", DISPATCH_PROPERTYGET)));
}

TEST_F(Files, TreeSearchFindsAFileThreeLevelsDown) {
    folder.Folder("one");
    folder.Folder("one\\two");
    folder.Folder("one\\two\\three");
    folder.Make("one\\two\\three\\needle.dat");
    BSTR root = SysAllocString(folder.W().c_str()), name = SysAllocString(L"needle.dat");
    Bstr found;
    EXPECT_EQ(S_OK, utilities->FileFind(&root, &name, found.Put()));
    std::wstring expected = folder.W("one\\two\\three\\needle.dat"), got(found.View());
    for (auto* s : {&expected, &got}) for (wchar_t& c : *s) c = towlower(c);
    EXPECT_EQ(expected, got);
    SysFreeString(name);
    name = SysAllocString(L"absent.dat");
    EXPECT_EQ(S_OK, utilities->FileFind(&root, &name, found.Put()));
    EXPECT_TRUE(found.Empty());
    SysFreeString(root);
    root = SysAllocString(L"");
    EXPECT_EQ(S_OK, utilities->FileFind(&root, &name, found.Put()));
    EXPECT_TRUE(found.Empty());
    SysFreeString(root);
    SysFreeString(name);
}

// Folders nested past MAX_PATH, made through the long-path prefix, which the
// single-byte functions the members use cannot reach.
class LongTree {
public:
    explicit LongTree(const std::wstring& base) : path(base) {
        for (wchar_t letter : {L'a', L'b', L'c'}) {
            path += L"\\" + std::wstring(100, letter);
            CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr);
        }
        CloseHandle(CreateFileW(Long(L"needle.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ~LongTree() {
        DeleteFileW(Long(L"needle.dat").c_str());
        for (std::wstring folder = path; folder.size() > 300; folder.resize(folder.rfind(L'\\')))
            RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
    }
    std::wstring Long(const std::wstring& name) const { return L"\\\\?\\" + path + L"\\" + name; }
    std::wstring path;
};

// A folder listing in which every folder holds a link back up to the root.
std::vector<std::string> patternsSearched;
HANDLE WINAPI ListWithLink(LPCSTR pattern, LPWIN32_FIND_DATAA entry) {
    patternsSearched.emplace_back(pattern);
    *entry = WIN32_FIND_DATAA{};
    entry->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    lstrcpyA(entry->cFileName, "up");
    return reinterpret_cast<HANDLE>(1);
}
BOOL WINAPI NoMoreEntries(HANDLE, LPWIN32_FIND_DATAA) { return FALSE; }
BOOL WINAPI CloseListing(HANDLE) { return TRUE; }

TEST_F(Files, TreeSearchEndsOnTreesThePlatformSearchCannotTake) {
    // A needle past MAX_PATH is out of reach and a root that long finds
    // nothing; the image-help search overflowed its stack on both.
    const LongTree tree(folder.W());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(tree.Long(L"needle.dat").c_str()));
    folder.Make("shallow.dat");
    struct Row { std::wstring root; const wchar_t* name; bool found; } rows[] = {
        {folder.W(), L"needle.dat", false}, {folder.W(), L"SHALLOW.DAT", true}, {tree.path, L"needle.dat", false},
        {folder.W(), L"*.dat", false}};
    for (const Row& row : rows) {
        InOut root(row.root), name(row.name);
        Bstr found;
        EXPECT_EQ(S_OK, utilities->FileFind(&root.value, &name.value, found.Put()));
        EXPECT_EQ(row.found, !found.Empty()) << row.name;
    }

    // A folder link is never entered, so a link back up cannot keep the search going.
    scope.Replace<decltype(&::FindFirstFileA)>("kernel32.dll", "FindFirstFileA", &ListWithLink);
    scope.Replace<decltype(&::FindNextFileA)>("kernel32.dll", "FindNextFileA", &NoMoreEntries);
    scope.Replace<decltype(&::FindClose)>("kernel32.dll", "FindClose", &CloseListing);
    patternsSearched.clear();
    InOut root(L"C:\\tree"), name(L"needle.dat");
    Bstr found;
    EXPECT_EQ(S_OK, utilities->FileFind(&root.value, &name.value, found.Put()));
    EXPECT_TRUE(found.Empty());
    EXPECT_EQ(std::vector<std::string>{"C:\\tree\\*"}, patternsSearched);
}

TEST_F(Files, ShortPathOfAFile) {
    folder.Make("a long file name.text");
    Bstr name(folder.W("a long file name.text")), shortPath;
    EXPECT_EQ(S_OK, utilities->FileShortPath(name.Get(), shortPath.Put()));
    EXPECT_FALSE(shortPath.Empty());
    Bstr missing(folder.W("missing")), none;
    EXPECT_EQ(S_OK, utilities->FileShortPath(missing.Get(), none.Put()));
    EXPECT_TRUE(none.Empty());
}

}  // namespace

// Every file under a folder with its contents, and every folder, by relative name.
std::map<std::string, std::string> TreeOf(const std::string& folder, const std::string& prefix = {}) {
    std::map<std::string, std::string> tree;
    WIN32_FIND_DATAA entry;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (h == INVALID_HANDLE_VALUE) return tree;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[prefix + name + "\\"] = "<folder>";
            tree.merge(TreeOf(folder + "\\" + name, prefix + name + "\\"));
        } else {
            tree[prefix + name] = Contents(folder + "\\" + name);
        }
    } while (FindNextFileA(h, &entry));
    FindClose(h);
    return tree;
}

TEST_F(Files, WritingMembersChangeOnlyTheNamedFiles) {
    // Decoys around inner\target.txt: near names, the same name one level up
    // and one level down, and a folder named like the copy.
    folder.Folder("inner");
    folder.Folder("inner\\deeper");
    for (const char* decoy : {"target.txt", "inner\\target.txt.bak", "inner\\target.tx", "inner\\target",
                              "inner\\xtarget.txt", "inner\\deeper\\target.txt", "inner\\copy.txt.old"})
        folder.Make(decoy, std::string("decoy ") + decoy);
    folder.Make("inner\\target.txt", "original");
    const auto before = TreeOf(folder.path);
    auto expected = before;

    EXPECT_TRUE(Write(folder.W("inner\\target.txt"), L"rewritten"));
    expected["inner\\target.txt"] = "rewritten";
    EXPECT_EQ(expected, TreeOf(folder.path));

    InOut source(folder.W("inner\\target.txt")), copy(folder.W("inner\\copy.txt")), message(L"");
    VARIANT_BOOL done = 7;
    EXPECT_EQ(S_OK, utilities->FileCopy(&source.value, &copy.value, &message.value, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    expected["inner\\copy.txt"] = "rewritten";
    EXPECT_EQ(expected, TreeOf(folder.path));

    InOut apiTarget(folder.W("inner\\copy2.txt"));
    VARIANT_BOOL failIfExists = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->FileCopyAPI(&source.value, &apiTarget.value, &failIfExists, &done));
    EXPECT_EQ(VARIANT_TRUE, done);
    expected["inner\\copy2.txt"] = "rewritten";
    EXPECT_EQ(expected, TreeOf(folder.path));

    EXPECT_TRUE(Kill(folder.W("inner\\target.txt"), nullptr, false));
    expected.erase("inner\\target.txt");
    EXPECT_EQ(expected, TreeOf(folder.path));
}

namespace {

int systemReached = 0;
HINSTANCE WINAPI CountedShellExecute(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    ++systemReached;
    return reinterpret_cast<HINSTANCE>(42);
}
BOOL WINAPI CountedPlaySound(LPCSTR, UINT) {
    ++systemReached;
    return TRUE;
}

// A Windows Media folder sound, removed with the test.
struct MediaSound {
    MediaSound() {
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        CreateDirectoryA((std::string(windows) + "\\Media").c_str(), nullptr);
        path = std::string(windows) + "\\Media\\orvi_decoy.wav";
        CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ~MediaSound() { DeleteFileA(path.c_str()); }
    std::string path;
};

}  // namespace

// Converted to the code page, a character it lacks becomes "?", a wildcard
// to the system (U+0416 as "?"), or a look-alike (U+0106 as "C"). Either way
// the name must answer as a missing file, never reach the decoys its
// converted form would name: c.txt, the folder c, drive C:, msvcrt.dll and
// GetCurrentProcessId. "#" in a name below stands for the character.
TEST_F(Files, NamesTheCodePageCannotHoldNameNoFile) {
    folder.Make("c.txt", "decoy");
    folder.Make("c.wav", "decoy");
    folder.Folder("c");
    folder.Folder("c\\d");
    folder.Make("c\\c.txt", "decoy");
    const MediaSound mediaSound;
    const auto before = TreeOf(folder.path);
    scope.Replace<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA", &CountedShellExecute);
    scope.Replace<decltype(&::sndPlaySoundA)>("winmm.dll", "sndPlaySoundA", &CountedPlaySound);
    ComPtr<_clsKvOrviUtilitesWinInfoA> machine;
    ASSERT_EQ(S_OK, utilities->get_MyComputer(machine.Put()));

    wchar_t lacking = 0;
    const auto name = [&](std::wstring pattern) {
        for (wchar_t& c : pattern) c = c == L'#' ? lacking : c;
        return pattern;
    };
    const auto file = [&](const std::string& pattern) { return name(folder.W(pattern)); };
    const auto yes = [](bool answer) { return std::wstring(answer ? L"True" : L"False"); };
    const auto copy = [&](bool throughSystem, const std::wstring& from, const std::wstring& to) {
        InOut source(from), target(to), message(L"");
        VARIANT_BOOL copied = 7, failIfExists = VARIANT_FALSE;
        EXPECT_EQ(S_OK, throughSystem ? utilities->FileCopyAPI(&source.value, &target.value, &failIfExists, &copied)
                                      : utilities->FileCopy(&source.value, &target.value, &message.value, &copied));
        return yes(copied == VARIANT_TRUE) + std::wstring(message.View());
    };
    const auto find = [&](const std::wstring& root, const std::wstring& wanted) {
        InOut r(root), n(wanted);
        Bstr found;
        EXPECT_EQ(S_OK, utilities->FileFind(&r.value, &n.value, found.Put()));
        return std::wstring(found.View());
    };
    const auto launch = [&](const std::wstring& document, const std::wstring& directory) {
        Bstr d(document), parameters(L"p"), in(directory);
        BSTR operation = SysAllocString(L"open");
        long owner = 0;
        VARIANT_BOOL launched = 7;
        EXPECT_EQ(S_OK, utilities->ShellEx(d.Get(), essSW_SHOWNORMAL, parameters.Get(), in.Get(), &operation, &owner, &launched));
        SysFreeString(operation);
        return yes(launched == VARIANT_TRUE) + L" " + std::to_wstring(TakeErrorInfo().number.value_or(0));
    };
    struct Row {
        const char* member;
        std::function<std::wstring()> answer;
        std::wstring missing;
    } rows[] = {
        {"FileExists", [&] { return yes(Bool(&_clsKvOrviUtilitesA::FileExists, file("#.txt"))); }, L"False"},
        {"FileAttributes", [&] { return Text(&_clsKvOrviUtilitesA::FileAttributes, file("#.txt")); }, L""},
        {"FileCreated", [&] { return std::to_wstring(Stamp(&_clsKvOrviUtilitesA::FileCreated, file("#.txt"))); }, L"0.000000"},
        {"FileLastAccessed", [&] { return std::to_wstring(Stamp(&_clsKvOrviUtilitesA::FileLastAccessed, file("#.txt"))); }, L"0.000000"},
        {"FileLastModified", [&] { return std::to_wstring(Stamp(&_clsKvOrviUtilitesA::FileLastModified, file("#.txt"))); }, L"0.000000"},
        {"FileRead", [&] { return Text(&_clsKvOrviUtilitesA::FileRead, file("#.txt")); }, L""},
        {"FileShortPath", [&] { return Text(&_clsKvOrviUtilitesA::FileShortPath, file("#.txt")); }, L""},
        {"FileSize", [&] {
             Bstr n(file("#.txt"));
             long kb = -1;
             const HRESULT hr = utilities->FileSize(n.Get(), &kb);
             return std::to_wstring(ErrorNumberOf(hr)) + L" " + TakeErrorInfo().description;
         }, L"53 File not found"},
        {"FileWrite", [&] { return yes(Write(file("#.txt"), L"written")); }, L"False"},
        {"FileCopy from", [&] { return copy(false, file("#.txt"), folder.W("copy.txt")); }, L"False"},
        {"FileCopy onto", [&] { return copy(false, folder.W("c.txt"), file("#.txt")); }, L"False"},
        {"FileCopyAPI from", [&] { return copy(true, file("#.txt"), folder.W("copy.txt")); }, L"False"},
        {"FileCopyAPI onto", [&] { return copy(true, folder.W("c.txt"), file("#.txt")); }, L"False"},
        {"FileKill", [&] { return yes(Kill(file("#.txt"), nullptr, false)); }, L"True"},
        {"FileFind name", [&] { return find(folder.W(), name(L"#.txt")); }, L""},
        {"FileFind root", [&] { return find(file("#"), L"c.txt"); }, L""},
        {"FileDirectories", [&] {
             DictionaryCollection paths;
             Bstr start(file("#"));
             EXPECT_EQ(S_OK, utilities->FileDirectories(start.Get(), &paths));
             return std::to_wstring(LongOf(CallByName(paths.dictionary.Get(), L"Count", DISPATCH_PROPERTYGET)));
         }, L"0"},
        {"PlaySound", [&] {
             InOut sound(file("#.wav")), inFolder(file("#\\orvi_decoy.wav"));
             VARIANT_BOOL continuous = VARIANT_FALSE;
             EXPECT_EQ(S_OK, utilities->PlaySound(&sound.value, &continuous));
             EXPECT_EQ(S_OK, utilities->PlaySound(&inFolder.value, &continuous));  // found in Media by its name
             return std::to_wstring(systemReached);
         }, L"0"},
        {"ShellEx file", [&] { return launch(file("#.txt"), L""); }, L"False 53"},
        {"ShellEx folder", [&] { return launch(folder.W("c.txt"), file("#")); }, L"False 76"},
        {"APIFunctionPresent library", [&] {
             Bstr function(L"GetCurrentProcessId"), library(name(L"msv#rt.dll"));
             VARIANT_BOOL present = 7;
             EXPECT_EQ(S_OK, machine->APIFunctionPresent(function.Get(), library.Get(), &present));
             return yes(present == VARIANT_TRUE);
         }, L"False"},
        {"APIFunctionPresent function", [&] {
             Bstr function(name(L"Get#urrentProcessId")), library(L"kernel32.dll");
             VARIANT_BOOL present = 7;
             EXPECT_EQ(S_OK, machine->APIFunctionPresent(function.Get(), library.Get(), &present));
             return yes(present == VARIANT_TRUE);
         }, L"False"},
        {"DriveType", [&] {
             InOut drive(name(L"#"));
             ::DRIVE_TYPE type = DRIVE_FIXED;
             EXPECT_EQ(S_OK, machine->DriveType(&drive.value, &type));
             return std::to_wstring(type);
         }, L"1"},
        {"DriveName", [&] {
             InOut drive(name(L"#"));
             Variant label;
             EXPECT_EQ(S_OK, machine->DriveName(&drive.value, label.Put()));
             return std::to_wstring(label.Type());
         }, L"0"},
        {"DriveMBSize", [&] {
             InOut drive(name(L"#"));
             double megabytes = -1;
             EXPECT_EQ(S_OK, machine->DriveMBSize(&drive.value, &megabytes));
             return std::to_wstring(megabytes);
         }, L"0.000000"},
    };
    for (wchar_t character : {L'\u0416', L'\u0106'}) {
        lacking = character;
        for (const Row& row : rows) EXPECT_EQ(row.missing, row.answer()) << row.member << " " << static_cast<int>(character);
    }
    EXPECT_EQ(before, TreeOf(folder.path));
}
