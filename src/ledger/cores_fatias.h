#pragma once

#include "controls/cores.h"

#include <array>

namespace cofrel {

// Slice colours of the expense chart. Category c always takes entry c - 1,
// whether or not the other categories have slices, so its colour never
// shifts between refreshes. The length bounds the slices the chart can
// colour (the system has eight categories).
inline constexpr std::array<TColor, 20> CoresFatias = {
    clAqua,   clBlue, clFuchsia, clGray,   clGreen,  clLime,   clNavy,
    clOlive,  clPurple, clRed,   clSilver, clTeal,   clYellow, clGray,
    clMaroon, clSilver, clAqua,  clBlue,   clFuchsia, clGray,
};

} // namespace cofrel
