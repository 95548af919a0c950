#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "platform/ErrorHandling.h"

namespace ratemill {

namespace detail {

// Calls `handler` with `args`, or with none when it takes none. A function of
// its own so that the call without arguments depends on a template parameter:
// inside `Guarded`'s lambda it would not, and some compilers reject it there
// for handlers that need their argument, even though that branch is never taken.
template <typename F, typename... Args>
void CallDroppingExtraArguments(F& handler, Args&&... args) {
  if constexpr (std::is_invocable_v<F&, Args...>) {
    handler(std::forward<Args>(args)...);
  } else {
    handler();
  }
}

}  // namespace detail

// Wraps an event handler so that an error it throws goes to the global error
// handling instead of unwinding through the toolkit's own frames, which are
// not built to be unwound through. The program goes on after the report.
template <typename F>
auto Guarded(F handler) {
  // Signals may pass more arguments than the handler wants (a click passes
  // its checked state); those are dropped.
  return [handler = std::move(handler)](auto&&... args) mutable {
    try {
      detail::CallDroppingExtraArguments(handler, std::forward<decltype(args)>(args)...);
    } catch (...) {
      platform::HandleException(std::current_exception());
    }
  };
}

}  // namespace ratemill
