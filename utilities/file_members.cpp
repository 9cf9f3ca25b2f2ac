// The file members, on the single-byte file-system functions.
#include <windows.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "ansi.h"
#include "frame/ansi.h"
#include "late_bound.h"
#include "system_function.h"
#include "utilities/pure/dates.h"
#include "utilities/pure/text.h"
#include "utilities_class.h"
#include "values.h"
#include "frame/pure/numeric.h"

using namespace orvi;
using namespace orvi::utilities;

namespace {

const SystemFunction<decltype(&::FindFirstFileA)> findFirstFile{"kernel32.dll", "FindFirstFileA"};
const SystemFunction<decltype(&::FindNextFileA)> findNextFile{"kernel32.dll", "FindNextFileA"};
const SystemFunction<decltype(&::FindClose)> findClose{"kernel32.dll", "FindClose"};
const SystemFunction<decltype(&::GetFileAttributesA)> getFileAttributes{"kernel32.dll", "GetFileAttributesA"};
const SystemFunction<decltype(&::GetFileAttributesExA)> getFileAttributesEx{"kernel32.dll", "GetFileAttributesExA"};
const SystemFunction<decltype(&::FileTimeToSystemTime)> fileTimeToSystemTime{"kernel32.dll", "FileTimeToSystemTime"};
const SystemFunction<decltype(&::CreateFileA)> createFile{"kernel32.dll", "CreateFileA"};
const SystemFunction<decltype(&::GetFileSizeEx)> getFileSizeEx{"kernel32.dll", "GetFileSizeEx"};
const SystemFunction<decltype(&::ReadFile)> readFile{"kernel32.dll", "ReadFile"};
const SystemFunction<decltype(&::WriteFile)> writeFile{"kernel32.dll", "WriteFile"};
const SystemFunction<decltype(&::CloseHandle)> closeHandle{"kernel32.dll", "CloseHandle"};
const SystemFunction<decltype(&::DeleteFileA)> deleteFile{"kernel32.dll", "DeleteFileA"};
const SystemFunction<decltype(&::CopyFileA)> copyFile{"kernel32.dll", "CopyFileA"};
const SystemFunction<decltype(&::GetShortPathNameA)> getShortPathName{"kernel32.dll", "GetShortPathNameA"};
const SystemFunction<decltype(&::MessageBoxA)> messageBox{"user32.dll", "MessageBoxA"};

constexpr DWORD kAllAttributes = 0xFFFFFFFF;

// An open directory search; closed when it goes.
class FindSearch {
public:
    explicit FindSearch(const std::string& pattern) : handle(findFirstFile(pattern.c_str(), &entry)) {}
    ~FindSearch() {
        if (Found()) findClose(handle);
    }
    FindSearch(const FindSearch&) = delete;
    FindSearch& operator=(const FindSearch&) = delete;

    bool Found() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    const WIN32_FIND_DATAA& Entry() const { return entry; }
    bool Next() { return findNextFile(handle, &entry) != 0; }
    // The entry's name, up to its first NUL.
    std::string Name() const { return std::string(entry.cFileName, strnlen(entry.cFileName, MAX_PATH)); }

private:
    WIN32_FIND_DATAA entry{};
    HANDLE handle;
};

// An open file handle; closed when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (Valid()) closeHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

bool HasWildcard(std::wstring_view name) { return name.find_first_of(L"*?") != std::wstring_view::npos; }

// A folder written with a trailing backslash is looked up without it; a
// drive root such as C:\ keeps its backslash.
std::wstring_view WithoutTrailingBackslash(std::wstring_view name) {
    if (name.size() > 3 && name.back() == L'\\') name.remove_suffix(1);
    return name;
}

bool Exists(std::wstring_view name) {
    bool found = false;
    Attempt([&] { found = FindSearch(ansi::FileName(WithoutTrailingBackslash(name))).Found(); });
    return found;
}

std::wstring AttributeLetters(std::wstring_view name) {
    if (!Exists(name)) return {};
    DWORD attributes = 0;
    Attempt([&] { attributes = getFileAttributes(ansi::FileName(name).c_str()); });
    std::wstring letters;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) letters += L'D';
    if (attributes & FILE_ATTRIBUTE_ARCHIVE) letters += L'A';
    if (attributes & FILE_ATTRIBUTE_SYSTEM) letters += L'S';
    if (attributes & FILE_ATTRIBUTE_HIDDEN) letters += L'H';
    if (attributes & FILE_ATTRIBUTE_READONLY) letters += L'R';
    return letters;
}

bool IsFolder(std::wstring_view name) { return AttributeLetters(name).find(L'D') != std::wstring::npos; }

// A read-only file is left alone by the members that replace files, also
// for a process the file system would let through (an administrator, or
// root under Wine).
bool IsReadOnly(std::wstring_view name) {
    DWORD attributes = kAllAttributes;
    Attempt([&] { attributes = getFileAttributes(ansi::FileName(name).c_str()); });
    return attributes != kAllAttributes && (attributes & FILE_ATTRIBUTE_READONLY);
}

long UtcOffsetHours() {
    long hours = 0;
    Attempt([&] {
        const dates::Parts local = dates::Split(values::Now()), utc = dates::Split(values::UtcNow());
        hours = static_cast<long>(std::floor((static_cast<double>(local.day) + local.time) * 24.0 + 1e-9) -
                                  std::floor((static_cast<double>(utc.day) + utc.time) * 24.0 + 1e-9));
    });
    return hours;
}

enum class Stamp { created, accessed, modified };

double StampOf(std::wstring_view name, Stamp which) {
    double date = 0;
    if (!Exists(name)) return date;
    Attempt([&] {
        const FindSearch search(ansi::FileName(WithoutTrailingBackslash(name)));
        if (!search.Found()) return;
        const WIN32_FIND_DATAA& entry = search.Entry();
        const FILETIME& stamp = which == Stamp::created    ? entry.ftCreationTime
                                : which == Stamp::accessed ? entry.ftLastAccessTime
                                                           : entry.ftLastWriteTime;
        SYSTEMTIME clock{};
        if (!fileTimeToSystemTime(&stamp, &clock)) return;
        const long hour = clock.wHour + UtcOffsetHours();
        date = values::CheckedDate(dates::DateOf(clock.wYear, clock.wMonth, clock.wDay, hour, clock.wMinute, clock.wSecond));
    });
    return date;
}

std::wstring ReadWhole(std::wstring_view name) {
    if (name.empty() || HasWildcard(name) || !Exists(name) || IsFolder(name)) return {};
    std::wstring contents;
    Attempt([&] {
        const FileHandle file(createFile(ansi::FileName(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file.Valid() || !getFileSizeEx(file.Get(), &size) || size.QuadPart > 0x3FFFFFFF) return;
        std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD read = 0;
            if (!readFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr) || read == 0)
                return;
            done += read;
        }
        contents = FromAnsi(bytes);
    });
    return contents;
}

bool WriteWhole(std::wstring_view name, std::wstring_view contents) {
    if (name.empty() || HasWildcard(name)) return false;
    DWORD keep = FILE_ATTRIBUTE_NORMAL;
    if (Exists(name)) {
        if (IsFolder(name)) return false;
        // A read-only file stays as it is (see IsReadOnly); replacing a
        // hidden or system file needs its attributes repeated.
        DWORD attributes = kAllAttributes;
        Attempt([&] { attributes = getFileAttributes(ansi::FileName(name).c_str()); });
        if (attributes == kAllAttributes || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
        keep = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (keep == 0) keep = FILE_ATTRIBUTE_NORMAL;
    }
    bool written = false;
    Attempt([&] {
        const std::string bytes = ToAnsi(contents);
        const FileHandle file(createFile(ansi::FileName(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, keep, nullptr));
        if (!file.Valid()) return;
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            if (!writeFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) || wrote == 0)
                return;
            done += wrote;
        }
        written = true;
    });
    return written;
}

void AddFolders(const std::wstring& startPath, IDispatch* collection) {
    if (!collection) Raise(errObjectNotSet);
    const std::wstring base = text::PathWithSeparator(startPath, L"");
    const auto pattern = ansi::NameForSystem(base + L"*");
    if (!pattern) return;
    FindSearch search(*pattern);
    if (!search.Found()) return;
    do {
        const std::string name = search.Name();
        const DWORD attributes = search.Entry().dwFileAttributes;
        if (name == "." || name == ".." || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::wstring full = base + FromAnsi(name);
        if (full.back() != L'\\') full += L'\\';
        Bstr item(full);
        CallByName(collection, L"Add", DISPATCH_METHOD, {TextArgument(item.Get()), TextArgument(item.Get())});
        // A link back up the tree would be followed for ever.
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) AddFolders(full, collection);
    } while (search.Next());
}

// The first file below `root` whose path ends in `name`, searched here
// rather than by the image-help library's tree search, which overflows its
// stack once a path reaches MAX_PATH and never ends on a tree holding a
// folder link back up. Folders wait on a list (no recursion), links are
// never entered and no path grows past what the single-byte functions
// take, so the search ends on any tree. A folder's files come before its
// sub-folders, each in the file system's order.
std::wstring SearchTree(std::wstring_view root, std::wstring_view name) {
    if (root.empty() || name.empty() || HasWildcard(name)) return {};
    const std::wstring wanted = FromAnsi(ansi::FileName(name));  // as the file system's names read back
    std::vector<std::string> folders{ansi::FileName(text::PathWithSeparator(root, L""))};
    while (!folders.empty()) {
        const std::string folder = std::move(folders.back());
        folders.pop_back();
        if (folder.size() + 1 >= MAX_PATH) continue;  // no room for the "*"
        FindSearch search(folder + "*");
        if (!search.Found()) continue;
        std::vector<std::string> below;
        do {
            const std::string entry = search.Name();
            const DWORD attributes = search.Entry().dwFileAttributes;
            std::string path = folder + entry;
            if (entry == "." || entry == ".." || path.size() >= MAX_PATH) continue;
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                std::wstring found = FromAnsi(path);
                if (text::PathEndsWith(found, wanted)) return found;
            } else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                below.push_back(path + "\\");
            }
        } while (search.Next());
        folders.insert(folders.end(), below.rbegin(), below.rend());
    }
    return {};
}

// Names of the plain files (neither hidden, system nor folders) that match
// the mask; the system's own matching is checked against the long names,
// since it also matches short 8.3 aliases.
std::vector<std::string> MatchingFiles(std::wstring_view mask) {
    std::vector<std::string> names;
    if (mask.empty()) return names;
    const std::wstring pattern = text::FilePart(mask, FileNameAndExt);
    FindSearch search(ansi::FileName(mask));
    if (!search.Found()) return names;
    do {
        const DWORD attributes = search.Entry().dwFileAttributes;
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        const std::string name = search.Name();
        if (text::MatchesMask(FromAnsi(name), pattern)) names.push_back(name);
    } while (search.Next());
    return names;
}

// Deletes the files of the mask, those last accessed before `olderThan`
// when given; error 53 when nothing matches.
bool KillMatching(std::wstring_view mask, std::optional<double> olderThan, bool prompt) {
    const std::vector<std::string> names = MatchingFiles(mask);
    if (names.empty()) Raise(errFileNotFound);
    if (olderThan && prompt) {
        const std::string question = ToAnsi(L"Delete file(s) " + text::FilePart(mask, FileNameAndExt));
        const std::string caption = ToAnsi(kTitle);
        if (messageBox(nullptr, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING) != IDYES) return false;
    }
    // The folder is the mask up to its last separator, never a path pieced
    // together from name removals.
    const std::wstring folder = text::FilePart(mask, FilePathOnly);
    for (const std::string& name : names) {
        const std::wstring path = folder + FromAnsi(name);
        if (olderThan && !(StampOf(path, Stamp::accessed) < *olderThan)) continue;
        if (!deleteFile(ansi::FileName(path).c_str())) Raise(errPathFileAccess);
    }
    return true;
}

// Stores a date in an in/out Variant, through any references.
void StoreDate(VARIANT* target, double date) {
    while (V_VT(target) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(target)) target = V_VARIANTREF(target);
    if (V_VT(target) == (VT_DATE | VT_BYREF)) {
        *V_DATEREF(target) = date;
        return;
    }
    if (V_VT(target) & VT_BYREF) return;
    VariantClear(target);
    V_VT(target) = VT_DATE;
    V_DATE(target) = date;
}

std::wstring ErrorText(const ComponentError& error) {
    const long number = error.Number() != 0 ? error.Number() : static_cast<long>(error.Result());
    const std::wstring description = error.Description().empty() ? StandardDescription(number) : error.Description();
    return numeric::IntegerText(number) + L" - " + description;
}

void WriteBack(BSTR* argument) {
    Attempt([&] {
        Bstr converted(ansi::RoundTrip(Bstr::ViewOf(*argument)));
        SysFreeString(*argument);
        *argument = converted.Detach();
    });
}

}  // namespace

STDMETHODIMP clsKvOrviUtilitesA::FileAttributes(BSTR Filename, BSTR* result) {
    return Produce(result, [&] { return Bstr(AttributeLetters(Bstr::ViewOf(Filename))); });
}

STDMETHODIMP clsKvOrviUtilitesA::FileCopy(BSTR* SourceFile, BSTR* TargetFile, BSTR* ErrMsg, VARIANT_BOOL* result) {
    return Produce(result, [&] {
        const std::wstring source(Bstr::ViewOf(Argument(SourceFile))), target(Bstr::ViewOf(Argument(TargetFile)));
        BSTR& message = Argument(ErrMsg);
        try {
            const ComPtr<IDispatch> files = CreateObjectByProgId(L"Scripting.FileSystemObject");
            // A target the code page cannot hold names no file, as a
            // missing source does.
            if (!Exists(source) || !ansi::NameForSystem(target)) return VARIANT_FALSE;
            if (Exists(target) && IsReadOnly(target)) Raise(errPermissionDenied);
            // The target is not deleted first: a copy that fails (onto
            // itself, a folder, a read-only file) leaves it as it was.
            Bstr sourceText(source), targetText(target);
            const Variant file = CallByName(files.Get(), L"GetFile", DISPATCH_METHOD, {TextArgument(sourceText.Get())});
            if (V_VT(file.Get()) != VT_DISPATCH) Raise(errObjectNotSet);
            const Variant path = CallByName(V_DISPATCH(file.Get()), L"Path", DISPATCH_PROPERTYGET);
            VARIANT overwrite;
            VariantInit(&overwrite);
            V_VT(&overwrite) = VT_BOOL;
            V_BOOL(&overwrite) = VARIANT_TRUE;
            CallByName(files.Get(), L"CopyFile", DISPATCH_METHOD, {*path.Get(), TextArgument(targetText.Get()), overwrite});
            return AsBool(Exists(target));
        } catch (const ComponentError& error) {
            Bstr text(ErrorText(error));
            SysFreeString(message);
            message = text.Detach();
            SetErrorInfo(0, nullptr);
            return VARIANT_FALSE;
        }
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FileCopyAPI(BSTR* Src, BSTR* dest, VARIANT_BOOL* FailIfDestExists, VARIANT_BOOL* result) {
    return Produce(result, [&] {
        const auto source = ansi::NameForSystem(Bstr::ViewOf(Argument(Src)));
        const auto target = ansi::NameForSystem(Bstr::ViewOf(Argument(dest)));
        const BOOL failIfExists = Argument(FailIfDestExists) != VARIANT_FALSE ? TRUE : FALSE;
        const BOOL copied = source && target && copyFile(source->c_str(), target->c_str(), failIfExists);
        WriteBack(Src);
        WriteBack(dest);
        return AsBool(copied > 0);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FileCreated(BSTR Filename, DATE* result) {
    return Produce(result, [&] { return StampOf(Bstr::ViewOf(Filename), Stamp::created); });
}
STDMETHODIMP clsKvOrviUtilitesA::FileLastAccessed(BSTR Filename, DATE* result) {
    return Produce(result, [&] { return StampOf(Bstr::ViewOf(Filename), Stamp::accessed); });
}
STDMETHODIMP clsKvOrviUtilitesA::FileLastModified(BSTR Filename, DATE* result) {
    return Produce(result, [&] { return StampOf(Bstr::ViewOf(Filename), Stamp::modified); });
}

// The collection is reached through IDispatch only: a late-bound caller may
// hand in any object that has an Add.
STDMETHODIMP clsKvOrviUtilitesA::FileDirectories(BSTR StartPath, _Collection* colFilePaths) {
    return Member([&] {
        // An empty start would walk the whole current drive.
        if (Bstr::ViewOf(StartPath).empty()) Raise(errInvalidCall);
        AddFolders(std::wstring(Bstr::ViewOf(StartPath)), colFilePaths);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FileExists(BSTR Filename, VARIANT_BOOL* result) {
    return Produce(result, [&] { return AsBool(Exists(Bstr::ViewOf(Filename))); });
}

STDMETHODIMP clsKvOrviUtilitesA::FileFind(BSTR* RootPath, BSTR* Filename, BSTR* result) {
    return Produce(result, [&] {
        BSTR& root = Argument(RootPath);
        BSTR& name = Argument(Filename);
        std::wstring found;
        Attempt([&] { found = SearchTree(Bstr::ViewOf(root), Bstr::ViewOf(name)); });
        WriteBack(RootPath);
        WriteBack(Filename);
        return Bstr(found);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FileKill(BSTR* FileMask, VARIANT* OlderThan, VARIANT_BOOL* Prompt, VARIANT_BOOL* result) {
    return Produce(result, [&] {
        const std::wstring mask(Bstr::ViewOf(Argument(FileMask)));
        const bool prompt = Argument(Prompt) != VARIANT_FALSE;
        try {
            if (values::IsMissing(OlderThan)) return AsBool(KillMatching(mask, std::nullopt, false));
            const auto olderThan = values::AsDate(OlderThan);
            if (!olderThan) return VARIANT_TRUE;
            StoreDate(OlderThan, *olderThan);
            return AsBool(KillMatching(mask, olderThan, prompt));
        } catch (const ComponentError& error) {
            SetErrorInfo(0, nullptr);
            return AsBool(error.Number() == errFileNotFound);
        }
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FilePart(BSTR* FullPath, FilePartTypes* WhichPart, BSTR* result) {
    return Produce(result, [&] { return Bstr(text::FilePart(Bstr::ViewOf(Argument(FullPath)), Argument(WhichPart))); });
}

STDMETHODIMP clsKvOrviUtilitesA::FileRead(BSTR Filename, BSTR* result) {
    return Produce(result, [&] { return Bstr(ReadWhole(Bstr::ViewOf(Filename))); });
}

STDMETHODIMP clsKvOrviUtilitesA::FileShortPath(BSTR Filename, BSTR* result) {
    return Produce(result, [&] {
        const auto name = ansi::NameForSystem(Bstr::ViewOf(Filename));
        if (!name) return Bstr();
        char buffer[255] = {};
        const DWORD length = getShortPathName(name->c_str(), buffer, 255);
        // A short path that does not fit the buffer comes back as its size only.
        if (length == 0 || length >= 255) return Bstr();
        return Bstr(FromAnsi(std::string(buffer, length)));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FileSize(BSTR Filename, long* result) {
    return Produce(result, [&] {
        const std::wstring_view name = Bstr::ViewOf(Filename);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (name.empty() || HasWildcard(name) ||
            !getFileAttributesEx(ansi::FileName(name).c_str(), GetFileExInfoStandard, &data))
            Raise(errFileNotFound);
        const unsigned long long bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        const unsigned long long kilobytes = bytes / 1024;
        if (kilobytes > 0x7FFFFFFFull) Raise(errOverflow);
        return static_cast<long>(kilobytes);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::FileWrite(BSTR Filename, BSTR FileContents, VARIANT_BOOL* result) {
    return Produce(result, [&] { return AsBool(WriteWhole(Bstr::ViewOf(Filename), Bstr::ViewOf(FileContents))); });
}
