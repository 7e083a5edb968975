#pragma once
// Exact integer arithmetic for the boolean cutter.
//
// Lattice coordinates stay within +-2048, so a plane through three lattice
// points has a normal below 2^26 and an offset below 2^39, and a point where
// three such planes meet has homogeneous coordinates below 2^91 (weight below
// 2^78): every "which side of a plane" test fits a signed 128-bit integer.
// Int512 is for the few products that do not (comparing two such points along
// a line, and the classification point built from three of them).

#include <cstddef>
#include <cstdint>

namespace corvid::exact {

// __extension__: the 128-bit integers of GCC and Clang, outside ISO C++.
__extension__ typedef __int128 i128;
__extension__ typedef unsigned __int128 u128;

inline u128 Abs128(i128 v) { return v < 0 ? u128(0) - u128(v) : u128(v); }

// Greatest common divisor; Gcd(0, 0) is 0.
u128 Gcd(u128 a, u128 b);
uint64_t Gcd64(uint64_t a, uint64_t b);

// A fixed 512-bit two's complement integer: add, subtract, multiply and sign.
// Results are exact as long as they stay below 2^511 in magnitude, which the
// callers' bounds guarantee (none goes past 2^300).
struct Int512 {
    uint64_t limb[8] = {};

    Int512() = default;
    Int512(i128 v);  // NOLINT: implicit on purpose, so expressions read naturally

    friend Int512 operator+(const Int512& a, const Int512& b);
    friend Int512 operator-(const Int512& a, const Int512& b);
    friend Int512 operator*(const Int512& a, const Int512& b);
    Int512 operator-() const { return Int512() - *this; }
    int Sign() const;
};

// Sign of a/b - c/d for b, d > 0, exact for any 128-bit values.
int CompareFractions(i128 a, i128 b, i128 c, i128 d);

inline int Sign(i128 v) { return (v > 0) - (v < 0); }

} // namespace corvid::exact
