// An open registry key, closed (through the bound RegCloseKey) when it goes.
#pragma once
#include <windows.h>
#include <utility>

namespace orvi {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&& other) noexcept : key(std::exchange(other.key, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        std::swap(key, other.key);
        return *this;
    }
    ~RegistryKey() { Close(); }

    HKEY Get() const { return key; }
    HKEY* Put() {
        Close();
        return &key;
    }
    explicit operator bool() const { return key != nullptr; }
    void Close() noexcept;

private:
    HKEY key = nullptr;
};

}  // namespace orvi
