// The boundary between Qt's event loop and our handlers: library code throws, and the place
// where a handler runs catches and shows the error, so no exception crosses the event loop.
#pragma once

#include <QString>

#include <exception>
#include <type_traits>
#include <utility>

class QWidget;

namespace pq {

// A refusal that is already explained (or needs no word): it unwinds to the code that
// started the action, and the guard swallows it without a box. Grid moves refused by their
// selection event are the main user.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Shows the error of the exception currently being handled, in an error box owned by owner.
void ShowCurrentException(QWidget* owner) noexcept;

// Runs f; any exception it throws is shown in an error box. Returns whether f completed.
template <typename F>
bool RunGuarded(QWidget* owner, F&& f) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (...) {
        ShowCurrentException(owner);
        return false;
    }
}

// Wraps a handler for connect(): the returned callable runs it guarded.
template <typename F>
auto Guarded(QWidget* owner, F f)
{
    // Signal arguments the handler does not take are dropped, as connect() itself does.
    return [owner, f = std::move(f)](auto&&... args) noexcept {
        RunGuarded(owner, [&] {
            if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f();
        });
    };
}

} // namespace pq
