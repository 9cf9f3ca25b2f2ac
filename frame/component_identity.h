// The component's version, as its version block states it.
#pragma once

namespace orvi {

inline constexpr long kMajorVersion = 1;
inline constexpr long kMinorVersion = 0;
inline constexpr long kRevision = 84;

}  // namespace orvi
