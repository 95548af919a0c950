#pragma once

#include <cstdint>
#include <initializer_list>

namespace ratemill {

// A small set of enumeration members, one bit per member in declaration order.
template <typename E>
class TFlagSet {
 public:
  constexpr TFlagSet() = default;
  constexpr TFlagSet(std::initializer_list<E> members) {
    for (E m : members) FBits |= Bit(m);
  }

  constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TFlagSet& Include(E m) {
    FBits |= Bit(m);
    return *this;
  }
  constexpr TFlagSet& Exclude(E m) {
    FBits &= ~Bit(m);
    return *this;
  }
  constexpr std::uint32_t Bits() const { return FBits; }
  friend constexpr bool operator==(TFlagSet, TFlagSet) = default;

 private:
  static constexpr std::uint32_t Bit(E m) { return std::uint32_t{1} << static_cast<unsigned>(m); }
  std::uint32_t FBits = 0;
};

}  // namespace ratemill
