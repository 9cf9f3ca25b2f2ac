#include "module.h"

#include <atomic>

#include "ansi.h"
#include "errors.h"
#include "orvilib10_digests.h"
#include "pure/checksum.h"
#include "resources.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace orvi::module {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};
// The public type library (resource 1) and the internal one (resource 2).
std::atomic<ITypeLib*> typeLibraries[2]{nullptr, nullptr};

enum class Verdict { Unchecked, Intact, Damaged };
std::atomic<Verdict> resources{Verdict::Unchecked};

bool Intact(const char* type, WORD id, std::size_t size, std::uint32_t crc) {
    const auto bytes = FindComponentResource(type, MAKEINTRESOURCEA(id));
    return bytes && bytes->size() == size && checksum::Crc32(*bytes) == crc;
}

}  // namespace

HMODULE Handle() { return reinterpret_cast<HMODULE>(&__ImageBase); }

std::wstring FilePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(Handle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return FromAnsi(std::string_view(path.data(), length));
        path.resize(path.size() * 2);
    }
}

void ObjectCreated() { ++liveObjects; }
void ObjectDestroyed() { --liveObjects; }
void Lock() { ++locks; }
void Unlock() { --locks; }
bool CanUnload() { return liveObjects.load() == 0 && locks.load() == 0; }

void CheckResources() {
    Verdict verdict = resources.load(std::memory_order_acquire);
    if (verdict == Verdict::Unchecked) {
        verdict = Intact("TYPELIB", 1, ORVI_TYPELIB_SIZE, ORVI_TYPELIB_CRC32) &&
                          Intact("TYPELIB", 2, ORVI_INTERNAL_TYPELIB_SIZE, ORVI_INTERNAL_TYPELIB_CRC32) &&
                          Intact("REGISTRY", 1, ORVI_REGISTRY_SIZE, ORVI_REGISTRY_CRC32)
                      ? Verdict::Intact
                      : Verdict::Damaged;
        resources.store(verdict, std::memory_order_release);
    }
    if (verdict == Verdict::Damaged) {
        SetThreadErrorInfo(kLibraryName, L"The type library or registration script inside " + FilePath() +
                                             L" is damaged; reinstall the component.");
        throw ComponentError::PassedOn(TYPE_E_CANTLOADLIBRARY);
    }
}

namespace {

ITypeLib* Library(std::size_t which) {
    std::atomic<ITypeLib*>& cached = typeLibraries[which];
    ITypeLib* library = cached.load(std::memory_order_acquire);
    if (!library) {
        CheckResources();
        std::wstring path = FilePath();
        if (which == 1) path += L"\\2";
        ITypeLib* loaded = nullptr;
        Check(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded));
        ITypeLib* expected = nullptr;
        if (cached.compare_exchange_strong(expected, loaded)) {
            library = loaded;
        } else {
            loaded->Release();
            library = expected;
        }
    }
    library->AddRef();
    return library;
}

}  // namespace

ITypeLib* TypeLibrary() { return Library(0); }

ITypeInfo* TypeInfoOf(const GUID& iid) {
    ITypeInfo* info = nullptr;
    HRESULT hr = TYPE_E_ELEMENTNOTFOUND;
    for (std::size_t which = 0; which < 2 && hr == TYPE_E_ELEMENTNOTFOUND; ++which)
        hr = ComPtr<ITypeLib>::Adopt(Library(which))->GetTypeInfoOfGuid(iid, &info);
    Check(hr);
    return info;
}

void ReleaseTypeLibrary() {
    for (std::atomic<ITypeLib*>& cached : typeLibraries)
        if (ITypeLib* library = cached.exchange(nullptr)) library->Release();
}

}  // namespace orvi::module
