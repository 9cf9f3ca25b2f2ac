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
std::atomic<ITypeLib*> typeLibrary{nullptr};

enum class Verdict { Unchecked, Intact, Damaged };
std::atomic<Verdict> resources{Verdict::Unchecked};

bool Intact(const char* type, std::size_t size, std::uint32_t crc) {
    const auto bytes = FindComponentResource(type, MAKEINTRESOURCEA(1));
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
        verdict = Intact("TYPELIB", ORVI_TYPELIB_SIZE, ORVI_TYPELIB_CRC32) &&
                          Intact("REGISTRY", ORVI_REGISTRY_SIZE, ORVI_REGISTRY_CRC32)
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

ITypeLib* TypeLibrary() {
    ITypeLib* library = typeLibrary.load(std::memory_order_acquire);
    if (!library) {
        CheckResources();
        ITypeLib* loaded = nullptr;
        Check(LoadTypeLibEx(FilePath().c_str(), REGKIND_NONE, &loaded));
        ITypeLib* expected = nullptr;
        if (typeLibrary.compare_exchange_strong(expected, loaded)) {
            library = loaded;
        } else {
            loaded->Release();
            library = expected;
        }
    }
    library->AddRef();
    return library;
}

ITypeInfo* TypeInfoOf(const GUID& iid) {
    ComPtr<ITypeLib> library = ComPtr<ITypeLib>::Adopt(TypeLibrary());
    ITypeInfo* info = nullptr;
    Check(library->GetTypeInfoOfGuid(iid, &info));
    return info;
}

void ReleaseTypeLibrary() {
    if (ITypeLib* library = typeLibrary.exchange(nullptr)) library->Release();
}

}  // namespace orvi::module
