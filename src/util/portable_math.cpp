#include "util/portable_math.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace gara {

namespace {

// A value as the unevaluated sum hi + lo with |lo| <= half an ulp of hi: about 106 bits.
struct DD {
  double hi = 0.0;
  double lo = 0.0;
};

constexpr DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

constexpr DD QuickTwoSum(double a, double b) {  // |a| >= |b|
  const double s = a + b;
  return {s, b - (s - a)};
}

// Dekker's exact product without a fused multiply-add, which not every target has.
constexpr DD TwoProd(double a, double b) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double p = a * b;
  const double ta = kSplitter * a;
  const double ah = ta - (ta - a);
  const double al = a - ah;
  const double tb = kSplitter * b;
  const double bh = tb - (tb - b);
  const double bl = b - bh;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

constexpr DD Neg(DD a) { return {-a.hi, -a.lo}; }

constexpr DD Add(DD a, DD b) {
  DD s = TwoSum(a.hi, b.hi);
  const DD t = TwoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = QuickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return QuickTwoSum(s.hi, s.lo);
}

constexpr DD Mul(DD a, DD b) {
  DD p = TwoProd(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return QuickTwoSum(p.hi, p.lo);
}

constexpr DD Div(DD a, DD b) {
  const double q1 = a.hi / b.hi;
  DD r = Add(a, Neg(Mul({q1, 0.0}, b)));
  const double q2 = r.hi / b.hi;
  r = Add(r, Neg(Mul({q2, 0.0}, b)));
  const double q3 = r.hi / b.hi;
  return Add(QuickTwoSum(q1, q2), {q3, 0.0});
}

// A small integer divisor, exact as a double.
constexpr DD Div(DD a, double b) { return Div(a, DD{b, 0.0}); }

// std::round for |v| < 2^62, without a call into the C library: the truncation through an
// integer and the fraction it leaves are both exact.
double RoundHalfAway(double v) {
  const double whole = static_cast<double>(static_cast<int64_t>(v));
  const double fraction = v - whole;
  if (fraction >= 0.5) return whole + 1;
  if (fraction <= -0.5) return whole - 1;
  return whole;
}

constexpr DD kPi{0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
constexpr DD kHalfPi{0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DD kQuarterPi{0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55};
// pi/2 in three pieces for the argument reduction: 159 bits.
constexpr double kHalfPi1 = 0x1.921fb54442d18p+0;
constexpr double kHalfPi2 = 0x1.1a62633145c07p-54;
constexpr double kHalfPi3 = -0x1.f1976b7ed8fbcp-110;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// atan(k / 8), k = 0 .. 8.
constexpr DD kAtanEighths[9] = {
    {0.0, 0.0},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

// Taylor coefficients, computed once by the compiler: the last term is below 2^-110 of the
// result for |r| <= pi/4 (sine and cosine) and |u| <= 1/16 (arc tangent).
constexpr int kTerms = 15;
using Coefficients = std::array<DD, kTerms>;

// (-1)^n / (2n + first)!
constexpr Coefficients FactorialSeries(int first) {
  Coefficients c{};
  DD term{1.0, 0.0};
  for (int k = 2; k <= first; ++k) term = Div(term, static_cast<double>(k));
  for (int n = 0; n < kTerms; ++n) {
    c[n] = n % 2 ? Neg(term) : term;
    term = Div(term, static_cast<double>((2 * n + first + 1) * (2 * n + first + 2)));
  }
  return c;
}

// (-1)^n / (2n + 1)
constexpr Coefficients OddReciprocals() {
  Coefficients c{};
  for (int n = 0; n < kTerms; ++n) {
    const DD term = Div(DD{1.0, 0.0}, static_cast<double>(2 * n + 1));
    c[n] = n % 2 ? Neg(term) : term;
  }
  return c;
}

constexpr Coefficients kSinCoefficients = FactorialSeries(1);
constexpr Coefficients kCosCoefficients = FactorialSeries(0);
constexpr Coefficients kAtanCoefficients = OddReciprocals();

// c[0] + c[1] z + c[2] z^2 + ... by Horner's rule.
constexpr DD Polynomial(const Coefficients& c, DD z) {
  DD p = c[kTerms - 1];
  for (int n = kTerms - 2; n >= 0; --n) p = Add(Mul(p, z), c[n]);
  return p;
}

constexpr DD SinSeries(DD r) { return Mul(r, Polynomial(kSinCoefficients, Mul(r, r))); }
constexpr DD CosSeries(DD r) { return Polynomial(kCosCoefficients, Mul(r, r)); }

// The tail c[first] + c[first + 1] z + ... of a series in plain doubles: from c[3] the sine's
// and cosine's weigh less than 2^-12 of the result, and the terms past c[10] less than 2^-70.
constexpr int kTailTerms = 11;
double TailPolynomial(const Coefficients& c, int first, double z) {
  double p = c[kTailTerms - 1].hi;
  for (int n = kTailTerms - 2; n >= first; --n) p = p * z + c[n].hi;
  return p;
}

// `value` (hi + lo, within `error` of the true result) rounds to hi whichever way the error
// goes: hi is then the correctly rounded result. The gaps to the neighbours of hi are its unit
// in the last place, 2^(exponent - 52), but half of that below a power of two.
[[gnu::always_inline]] inline bool RoundsSafely(DD value, double error) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value.hi, sizeof bits);
  const uint64_t exponent = (bits >> 52) & 0x7ff;
  if (exponent <= 54) return false;  // tiny or subnormal: let the full series decide
  const bool powerOfTwo = (bits & ((uint64_t{1} << 52) - 1)) == 0;
  const uint64_t halfGapBits = (exponent - (powerOfTwo ? 54 : 53)) << 52;
  double halfGap = 0.0;
  std::memcpy(&halfGap, &halfGapBits, sizeof halfGap);
  return std::fabs(value.lo) + error < halfGap;
}

// sin(j/64) and cos(j/64) for j = 0 .. 50 (50/64 is just beyond pi/4), by the full series,
// computed once by the compiler.
constexpr int kTableSteps = 64;
constexpr int kTableLast = 50;
struct TableEntry {
  DD sin;
  DD cos;
};
constexpr std::array<TableEntry, kTableLast + 1> kSinCosTable = [] {
  std::array<TableEntry, kTableLast + 1> table{};
  for (int j = 0; j <= kTableLast; ++j) {
    const DD a{static_cast<double>(j) / kTableSteps, 0.0};
    table[j] = {SinSeries(a), CosSeries(a)};
  }
  return table;
}();

// r = a + h with a = j/64 from the table and |h| <= 1/128: sin(r) = sin(a) + cos(a) h + ...,
// cos(r) = cos(a) - sin(a) h + ..., whose leading products are exact in double-double and whose
// remaining terms weigh less than 2^-14 of the result, so that doubles carry them to well
// below 2^-62 of it.
struct NearTableValue {
  bool found = false;
  double sinHi = 0, sinLo = 0, cosHi = 0, cosLo = 0;  // sin(a), cos(a)
  double h = 0, hLo = 0;                              // r - a = h + hLo, h exact
  double cosMinusOne = 0, sinMinusH = 0;              // cos(h) - 1, sin(h) - h
};

[[gnu::always_inline]] inline NearTableValue NearTable(DD r) {
  NearTableValue v;
  const double j = RoundHalfAway(r.hi * kTableSteps);
  if (!(std::fabs(j) <= kTableLast)) return v;
  const TableEntry& e = kSinCosTable[static_cast<size_t>(std::fabs(j))];
  const double sign = j < 0 ? -1.0 : 1.0;
  v.found = true;
  v.sinHi = sign * e.sin.hi;
  v.sinLo = sign * e.sin.lo;
  v.cosHi = e.cos.hi;
  v.cosLo = e.cos.lo;
  v.h = r.hi - j / kTableSteps;  // exact: both are multiples of r.hi's unit in the last place
  v.hLo = r.lo;
  const double z = v.h * v.h;
  // Taylor terms to h^8 and h^7: the next ones are below 2^-80.
  const Coefficients& c = kCosCoefficients;
  const Coefficients& s = kSinCoefficients;
  v.cosMinusOne = z * (c[1].hi + z * (c[2].hi + z * (c[3].hi + z * c[4].hi)));
  v.sinMinusH = v.h * z * (s[1].hi + z * (s[2].hi + z * s[3].hi));
  return v;
}

// The value is within 2^-60 of itself, far more than the terms' errors: it rounds safely
// unless it lies very near a rounding midpoint, about one case in fifty.
constexpr double kTableError = 0x1p-60;

[[gnu::always_inline]] inline bool SinFromTable(const NearTableValue& v, double reductionError,
                                                double& result) {
  if (!v.found) return false;
  const DD product = TwoProd(v.cosHi, v.h);
  // sin(a) (cos h - 1) + cos(a) (sin h - h), the low parts, and hLo cos(a + h).
  const double small =
      v.sinLo + (v.sinHi * v.cosMinusOne +
                 (v.cosHi * v.sinMinusH + (v.cosLo * v.h + v.hLo * (v.cosHi - v.sinHi * v.h))));
  // The head's exact sum, then the rest added to its low part: that one rounding is below
  // 2^-66 of the result.
  const DD head = TwoSum(v.sinHi, product.hi);
  const DD value = QuickTwoSum(head.hi, head.lo + (product.lo + small));
  if (!RoundsSafely(value, kTableError * std::fabs(value.hi) + reductionError)) return false;
  result = value.hi;
  return true;
}

[[gnu::always_inline]] inline bool CosFromTable(const NearTableValue& v, double reductionError,
                                                double& result) {
  if (!v.found) return false;
  const DD product = TwoProd(-v.sinHi, v.h);
  // cos(a) (cos h - 1) - sin(a) (sin h - h), the low parts, and -hLo sin(a + h).
  const double small =
      v.cosLo + (v.cosHi * v.cosMinusOne -
                 (v.sinHi * v.sinMinusH + (v.sinLo * v.h + v.hLo * (v.sinHi + v.cosHi * v.h))));
  // The head's exact sum, then the rest added to its low part: that one rounding is below
  // 2^-66 of the result.
  const DD head = TwoSum(v.cosHi, product.hi);
  const DD value = QuickTwoSum(head.hi, head.lo + (product.lo + small));
  if (!RoundsSafely(value, kTableError * std::fabs(value.hi) + reductionError)) return false;
  result = value.hi;
  return true;
}

// First the three leading terms in double-double and the rest in doubles, which almost always
// settles the rounding; when it does not, the whole series in double-double. The result is the
// same either way, the first way is about ten times faster.
double SinSeriesKernel(DD r) {
  const double x = r.hi;
  const DD x2 = TwoProd(x, x);
  const DD x3 = Mul(x2, {x, 0.0});
  const DD x5 = Mul(x3, x2);
  const double z = x2.hi;
  // sin(x + lo) = sin(x) + lo cos(x), and cos(x) = 1 - z/2 + z^2/24 to well below the bound.
  const double small =
      x5.hi * z * TailPolynomial(kSinCoefficients, 3, z) + r.lo * (1.0 - z * (0.5 - z / 24.0));
  const DD value = Add(
      Add({x, 0.0}, Add(Mul(x3, kSinCoefficients[1]), Mul(x5, kSinCoefficients[2]))), {small, 0.0});
  // The tail's rounding errors stay below 2^-62 |x| for |x| <= pi/4; four times that is safe.
  if (RoundsSafely(value, 0x1p-60 * std::fabs(x))) return value.hi;
  return SinSeries(r).hi;
}

double CosSeriesKernel(DD r) {
  const double x = r.hi;
  const DD x2 = TwoProd(x, x);
  const DD x4 = Mul(x2, x2);
  const double z = x2.hi;
  // cos(x + lo) = cos(x) - lo sin(x), and sin(x) = x (1 - z/6) to well below the bound.
  const double small =
      x4.hi * z * TailPolynomial(kCosCoefficients, 3, z) - r.lo * x * (1.0 - z / 6.0);
  const DD value =
      Add(Add({1.0, 0.0}, Add(Mul(x2, kCosCoefficients[1]), Mul(x4, kCosCoefficients[2]))),
          {small, 0.0});
  // The result is at least 0.7 and the tail's errors below 2^-64.
  if (RoundsSafely(value, 0x1p-60)) return value.hi;
  return CosSeries(r).hi;
}

// The table's way first, the series' when that does not settle the rounding: the same result.
double SinKernel(DD r) {
  double result = 0.0;
  return SinFromTable(NearTable(r), 0.0, result) ? result : SinSeriesKernel(r);
}

double CosKernel(DD r) {
  double result = 0.0;
  return CosFromTable(NearTable(r), 0.0, result) ? result : CosSeriesKernel(r);
}

// x = k * pi/2 + r with |r| <= about pi/4; returns k mod 4.
int ReduceQuarterTurns(double x, DD& r) {
  if (std::fabs(x) <= kQuarterPi.hi) {
    r = {x, 0.0};
    return 0;
  }
  // Beyond this the multiple of pi/2 no longer fits the three pieces; an exact fmod keeps
  // the result deterministic.
  if (std::fabs(x) > 1e9) x = std::fmod(x, 4 * kHalfPi1);
  const double k = RoundHalfAway(x * kTwoOverPi);
  r = Add(TwoSum(x, 0.0), Neg(TwoProd(k, kHalfPi1)));
  r = Add(r, Neg(TwoProd(k, kHalfPi2)));
  r = Add(r, Neg(TwoProd(k, kHalfPi3)));
  return static_cast<int>(static_cast<int64_t>(k) & 3);
}

// atan(t) for 0 <= t <= 1: atan(c) + atan((t - c) / (1 + t c)) with c the nearest eighth.
DD AtanUnit(DD t) {
  const int k = static_cast<int>(RoundHalfAway(t.hi * 8));
  const double c = k / 8.0;
  const DD u = Div(Add(t, {-c, 0.0}), Add({1.0, 0.0}, Mul(t, {c, 0.0})));
  const DD sum = Mul(u, Polynomial(kAtanCoefficients, Mul(u, u)));
  return Add(kAtanEighths[k], sum);
}

// pi/2 in pieces of 33, 33 and 53 bits: k times either of the first two is exact for
// |k| < 2^20, and the three together are within 2^-120 of pi/2.
constexpr double kQuickHalfPi1 = 0x1.921fb544p+0;
constexpr double kQuickHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kQuickHalfPi3 = 0x1.3198a2e037073p-69;
constexpr double kQuickReduceLimit = 0x1p19;
// What the quick reduction may be off by: k times the pieces' shortfall and the last
// product's rounding, and the double-double sum; all below 2^-100.
constexpr double kQuickReduceError = 0x1p-96;

// ReduceQuarterTurns for |x| < 2^19 at a third of its cost, within kQuickReduceError of the
// exact remainder: x - k p1 is exact (the two are within a factor of two), and so are k p2 and
// their difference as a sum of two.
[[gnu::always_inline]] inline int QuickReduceQuarterTurns(double x, DD& r) {
  const double k = RoundHalfAway(x * kTwoOverPi);
  const double head = x - k * kQuickHalfPi1;
  r = Add(TwoSum(head, -(k * kQuickHalfPi2)), {-(k * kQuickHalfPi3), 0.0});
  return static_cast<int>(static_cast<int64_t>(k) & 3);
}

// The sine and cosine of r, where x = quarter * pi/2 + r; `need` says which of x's are wanted,
// and only the functions of r that give them are computed. First the quick reduction and the
// table; when either does not settle the rounding, the exact reduction and the kernels, whose
// results are the same wherever the quick way settles.
enum class Need { kSine, kCosine, kBoth };
struct QuarterSinCos {
  int quarter = 0;
  double sin = 0.0;
  double cos = 0.0;
};

QuarterSinCos ReducedSinCos(double x, Need need) {
  const auto sinOfR = [need](int quarter) {
    return need == Need::kBoth || (need == Need::kSine) == ((quarter & 1) == 0);
  };
  const auto cosOfR = [need](int quarter) {
    return need == Need::kBoth || (need == Need::kCosine) == ((quarter & 1) == 0);
  };
  QuarterSinCos out;
  if (std::fabs(x) < kQuickReduceLimit) {
    DD r{x, 0.0};
    double error = 0.0;
    if (std::fabs(x) > kQuarterPi.hi) {
      out.quarter = QuickReduceQuarterTurns(x, r);
      error = kQuickReduceError;
    }
    const NearTableValue near = NearTable(r);
    if ((!sinOfR(out.quarter) || SinFromTable(near, error, out.sin)) &&
        (!cosOfR(out.quarter) || CosFromTable(near, error, out.cos))) {
      return out;
    }
  }
  DD r;
  out.quarter = ReduceQuarterTurns(x, r);
  if (sinOfR(out.quarter)) out.sin = SinKernel(r);
  if (cosOfR(out.quarter)) out.cos = CosKernel(r);
  return out;
}

// atan(num / den), or pi/2 minus it (`complement`), or pi minus that (`fromLeft`), for
// 0 <= num <= den with den in [1, 2), when a short evaluation settles its rounding: the
// numerator and denominator of (t - c) / (1 + t c), t = num / den, in double-double, one
// quotient of them and the series past its first term in doubles. False when it does not
// settle; AtanUnit's full series decides then.
bool QuickAtan(double num, double den, bool complement, bool fromLeft, double& result) {
  if (num < 0x1p-500) return false;  // products of the tiny would lose their exactness
  const int k = static_cast<int>(RoundHalfAway(num / den * 8));
  const double c = k / 8.0;
  const DD n = Add({num, 0.0}, Neg(TwoProd(c, den)));
  const DD d = Add({den, 0.0}, TwoProd(c, num));
  // u = n / d: a quotient and its correction from the exact remainder of the first.
  const double q1 = n.hi / d.hi;
  const DD p = TwoProd(q1, d.hi);
  const double rest = (((n.hi - p.hi) - p.lo) + n.lo) - q1 * d.lo;
  const DD u = QuickTwoSum(q1, rest / d.hi);
  // atan(u) = u + u^3 (c1 + c2 u^2 + ...), |u| <= 1/16: the terms past u weigh less than 2^-9
  // of it, so their doubles' rounding errors stay below 2^-60 |u|, as does leaving out u.lo.
  const double z = u.hi * u.hi;
  const double small = u.hi * z * TailPolynomial(kAtanCoefficients, 1, z) + u.lo;
  DD a = Add(Add(kAtanEighths[k], {u.hi, 0.0}), {small, 0.0});
  if (complement) a = Add(kHalfPi, Neg(a));
  if (fromLeft) a = Add(kPi, Neg(a));
  // Below 2^-58 |u| from the series, and a few units of 2^-104 of the result from the sums.
  if (!RoundsSafely(a, 0x1p-57 * std::fabs(u.hi) + 0x1p-98 * std::fabs(a.hi))) return false;
  result = a.hi;
  return true;
}

// Both scaled by one power of two so that the larger lies in [1, 2): products and quotients
// of the scaled values can neither overflow nor underflow.
int ScaleTogether(double& a, double& b) {
  const int e = std::ilogb(std::fmax(a, b));
  a = std::ldexp(a, -e);
  b = std::ldexp(b, -e);
  return e;
}

}  // namespace

double PortableSin(double x) {
  if (!std::isfinite(x)) return x - x;  // NaN, as the C library
  if (x == 0.0) return x;               // keeps the sign of zero
  const QuarterSinCos q = ReducedSinCos(x, Need::kSine);
  switch (q.quarter) {
    case 0:
      return q.sin;
    case 1:
      return q.cos;
    case 2:
      return -q.sin;
    default:
      return -q.cos;
  }
}

double PortableCos(double x) {
  if (!std::isfinite(x)) return x - x;
  const QuarterSinCos q = ReducedSinCos(x, Need::kCosine);
  switch (q.quarter) {
    case 0:
      return q.cos;
    case 1:
      return -q.sin;
    case 2:
      return -q.cos;
    default:
      return q.sin;
  }
}

SineCosine PortableSinCos(double x) {
  if (!std::isfinite(x)) return {x - x, x - x};
  if (x == 0.0) return {x, 1.0};
  const QuarterSinCos q = ReducedSinCos(x, Need::kBoth);
  switch (q.quarter) {
    case 0:
      return {q.sin, q.cos};
    case 1:
      return {q.cos, -q.sin};
    case 2:
      return {-q.sin, -q.cos};
    default:
      return {-q.cos, q.sin};
  }
}

double PortableAtan2(double y, double x) {
  if (std::isnan(x) || std::isnan(y)) return x + y;
  if (y == 0.0) {
    if (x > 0.0 || (x == 0.0 && !std::signbit(x))) return y;
    return std::copysign(kPi.hi, y);
  }
  if (x == 0.0) return std::copysign(kHalfPi.hi, y);
  if (std::isinf(x)) {
    if (std::isinf(y)) {
      return std::copysign(x > 0 ? kQuarterPi.hi : Add(kHalfPi, kQuarterPi).hi, y);
    }
    return x > 0 ? std::copysign(0.0, y) : std::copysign(kPi.hi, y);
  }
  if (std::isinf(y)) return std::copysign(kHalfPi.hi, y);

  double ax = std::fabs(x);
  double ay = std::fabs(y);
  ScaleTogether(ax, ay);
  double quick = 0.0;
  if (ay <= ax ? QuickAtan(ay, ax, false, x < 0, quick) : QuickAtan(ax, ay, true, x < 0, quick)) {
    return std::copysign(quick, y);
  }
  DD a = ay <= ax ? AtanUnit(Div(DD{ay, 0.0}, DD{ax, 0.0}))
                  : Add(kHalfPi, Neg(AtanUnit(Div(DD{ax, 0.0}, DD{ay, 0.0}))));
  if (x < 0) a = Add(kPi, Neg(a));
  return std::copysign(a.hi, y);
}

double PortableHypot(double x, double y) {
  if (std::isinf(x) || std::isinf(y)) return std::numeric_limits<double>::infinity();
  if (std::isnan(x) || std::isnan(y)) return x + y;
  double ax = std::fabs(x);
  double ay = std::fabs(y);
  if (ax == 0.0 && ay == 0.0) return 0.0;
  const int e = ScaleTogether(ax, ay);
  const DD sum = Add(TwoProd(ax, ax), TwoProd(ay, ay));
  const double root = std::sqrt(sum.hi);
  // One Newton step on the double-double square.
  const DD rest = Add(sum, Neg(TwoProd(root, root)));
  return std::ldexp(QuickTwoSum(root, rest.hi / (2 * root)).hi, e);
}

}  // namespace gara
