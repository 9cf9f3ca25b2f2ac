#include "module.h"

#include <atomic>

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
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(Handle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
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
