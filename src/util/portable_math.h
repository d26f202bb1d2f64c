// Sine, cosine, arc tangent and hypotenuse that give the same bits on every platform.
//
// The C library's versions differ between glibc and the Windows runtime in the last bit, and
// one bit is enough to change the fifteenth digit of a coordinate in JWC_TEMP.TXT. These are
// computed with double-double arithmetic (only +, -, *, / and sqrt, each rounded as IEEE 754
// requires), so the result is the same wherever doubles are IEEE doubles, and it is the
// correctly rounded value except in rare near-halfway cases.
#pragma once

namespace gara {

// Arguments are radians. For |x| beyond about 1e9 the result keeps its determinism but loses
// accuracy; no drawing angle comes near that.
double PortableSin(double x);
double PortableCos(double x);
struct SineCosine {
  double sin;
  double cos;
};
// Both at the cost of little more than one: exactly PortableSin(x) and PortableCos(x).
SineCosine PortableSinCos(double x);
// As std::atan2, including the signed zeros and infinities.
double PortableAtan2(double y, double x);
// sqrt(x * x + y * y) without intermediate overflow or underflow.
double PortableHypot(double x, double y);

}  // namespace gara
