// The settings store: an internal class, created only inside the component.
#pragma once
#include "com_ptr.h"
#include "orvilib10_h.h"

namespace orvi {

ComPtr<_clsKvOrviUtilitesRegistryA> CreateRegistrySettings();

}  // namespace orvi
