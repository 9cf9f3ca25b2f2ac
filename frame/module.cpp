#include "module.h"

#include <atomic>

#include "ansi.h"
#include "errors.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace orvi::module {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};
std::atomic<ITypeLib*> typeLibrary{nullptr};

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

ITypeInfo* TypeInfoOf(const GUID& iid) {
    ITypeLib* library = typeLibrary.load(std::memory_order_acquire);
    if (!library) {
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
    ITypeInfo* info = nullptr;
    Check(library->GetTypeInfoOfGuid(iid, &info));
    return info;
}

void ReleaseTypeLibrary() {
    if (ITypeLib* library = typeLibrary.exchange(nullptr)) library->Release();
}

}  // namespace orvi::module
