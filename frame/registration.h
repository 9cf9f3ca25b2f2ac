// Registration of the component from its registration script: the keys and
// values the build generates from the interface description and embeds in
// the DLL (REGISTRY resource 1, the registrar's .rgs form), so that the DLL,
// the installer package and the assembly manifests all read one declaration.
#pragma once
#include <windows.h>

namespace orvi::registration {

// Machine: HKEY_CLASSES_ROOT. User: HKEY_CURRENT_USER\Software\Classes,
// which never touches a machine-wide key.
enum class Scope { Machine, User };

HRESULT Register(Scope scope) noexcept;
// Removes what Register writes; nothing to remove is success.
HRESULT Unregister(Scope scope) noexcept;

}  // namespace orvi::registration
