#pragma once

#include <exception>
#include <type_traits>
#include <utility>

#include "platform/ErrorHandling.h"

namespace ratemill {

// Wraps an event handler so that an error it throws goes to the global error
// handling instead of unwinding through the toolkit's own frames, which are
// not built to be unwound through. The program goes on after the report.
template <typename F>
auto Guarded(F handler) {
  // Signals may pass more arguments than the handler wants (a click passes
  // its checked state); those are dropped.
  return [handler = std::move(handler)](auto&&... args) mutable {
    try {
      if constexpr (std::is_invocable_v<F&, decltype(args)...>) {
        handler(std::forward<decltype(args)>(args)...);
      } else {
        handler();
      }
    } catch (...) {
      platform::HandleException(std::current_exception());
    }
  };
}

}  // namespace ratemill
