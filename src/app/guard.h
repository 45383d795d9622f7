#pragma once

#include <exception>
#include <utility>

namespace cofrel {

// The default error handler: shows the failure's message through the
// interaction seam; the program goes on.
void reportError(const std::exception &error) noexcept;
void reportUnknownError() noexcept;

// Runs \a f and hands any failure to the default error handler, so that no
// exception ever crosses Qt's event loop. Returns false when \a f failed.
template <typename F>
bool guarded(F &&f) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception &e) {
        reportError(e);
    } catch (...) {
        reportUnknownError();
    }
    return false;
}

// Wraps a handler for connect(): the slot runs inside guarded().
template <typename F>
auto guard(F f)
{
    return [f = std::move(f)](auto &&...args) { guarded([&] { f(args...); }); };
}

} // namespace cofrel
