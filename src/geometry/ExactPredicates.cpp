#include "geometry/ExactPredicates.h"

namespace corvid::exact {

namespace {

int CountTrailingZeros(u128 v)
{
    const auto low = static_cast<uint64_t>(v);
    if (low != 0)
        return __builtin_ctzll(low);
    return 64 + __builtin_ctzll(static_cast<uint64_t>(v >> 64));
}

} // namespace

uint64_t Gcd64(uint64_t a, uint64_t b)
{
    if (a == 0)
        return b;
    if (b == 0)
        return a;
    const int shift = __builtin_ctzll(a | b);
    a >>= __builtin_ctzll(a);
    while (b != 0) {
        b >>= __builtin_ctzll(b);
        if (a > b) {
            const uint64_t t = a;
            a = b;
            b = t;
        }
        b -= a;
    }
    return a << shift;
}

u128 Gcd(u128 a, u128 b)
{
    if (a == 0)
        return b;
    if (b == 0)
        return a;
    // Most numbers here are small, or one of the two is: one remainder brings
    // both below 2^64, where the binary method runs on machine words.
    if (a > b) {
        const u128 t = a;
        a = b;
        b = t;
    }
    if ((a >> 64) == 0) {
        if ((b >> 64) != 0)
            b %= a;
        return Gcd64(static_cast<uint64_t>(a), static_cast<uint64_t>(b));
    }
    const int shift = CountTrailingZeros(a | b);
    a >>= CountTrailingZeros(a);
    while (b != 0) {
        b >>= CountTrailingZeros(b);
        if (a > b) {
            const u128 t = a;
            a = b;
            b = t;
        }
        b -= a;
    }
    return a << shift;
}

Int512::Int512(i128 v)
{
    const auto u = static_cast<u128>(v);
    limb[0] = static_cast<uint64_t>(u);
    limb[1] = static_cast<uint64_t>(u >> 64);
    const uint64_t fill = v < 0 ? ~uint64_t{0} : 0;
    for (int i = 2; i < 8; ++i)
        limb[i] = fill;
}

Int512 operator+(const Int512& a, const Int512& b)
{
    Int512 r;
    u128 carry = 0;
    for (int i = 0; i < 8; ++i) {
        const u128 s = u128(a.limb[i]) + b.limb[i] + carry;
        r.limb[i] = static_cast<uint64_t>(s);
        carry = s >> 64;
    }
    return r;
}

Int512 operator-(const Int512& a, const Int512& b)
{
    Int512 nb;
    for (int i = 0; i < 8; ++i)
        nb.limb[i] = ~b.limb[i];
    return a + nb + Int512(1);
}

Int512 operator*(const Int512& a, const Int512& b)
{
    // Two's complement multiplication modulo 2^512 is the plain unsigned
    // product truncated to 512 bits.
    Int512 r;
    for (int i = 0; i < 8; ++i) {
        if (a.limb[i] == 0)
            continue;
        u128 carry = 0;
        for (int j = 0; i + j < 8; ++j) {
            const u128 p = u128(a.limb[i]) * b.limb[j] + r.limb[i + j] + carry;
            r.limb[i + j] = static_cast<uint64_t>(p);
            carry = p >> 64;
        }
    }
    return r;
}

int Int512::Sign() const
{
    if (limb[7] >> 63)
        return -1;
    for (int i = 0; i < 8; ++i)
        if (limb[i] != 0)
            return 1;
    return 0;
}

int CompareFractions(i128 a, i128 b, i128 c, i128 d)
{
    // Numbers that fit a machine word (lattice points, weight 1) have
    // products that fit 128 bits.
    auto word = [](i128 v) { return v >= INT64_MIN && v <= INT64_MAX; };
    if (word(a) && word(b) && word(c) && word(d))
        return Sign(a * d - c * b);
    return (Int512(a) * Int512(d) - Int512(c) * Int512(b)).Sign();
}

} // namespace corvid::exact
