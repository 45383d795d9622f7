#pragma once

// Modal results as the windows report them: 1 after OK, 2 after cancel
// (the Cancel button or the close box).
namespace cofrel {
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
} // namespace cofrel
