#pragma once

#include "controls/cores.h"

#include <array>

// Slice colours of the expense chart. Category c always takes entry c - 1,
// whether or not the other categories have slices, so its colour never
// shifts between refreshes. The length bounds the slices the chart can
// colour (the system has eight categories).
inline constexpr std::array<cofrel::TColor, 20> CoresFatias = {
    cofrel::clAqua,    cofrel::clBlue,   cofrel::clFuchsia, cofrel::clGray,
    cofrel::clGreen,   cofrel::clLime,   cofrel::clNavy,    cofrel::clOlive,
    cofrel::clPurple,  cofrel::clRed,    cofrel::clSilver,  cofrel::clTeal,
    cofrel::clYellow,  cofrel::clGray,   cofrel::clMaroon,  cofrel::clSilver,
    cofrel::clAqua,    cofrel::clBlue,   cofrel::clFuchsia, cofrel::clGray,
};
