// The four tabulated materials, entry by entry as measured. Entry 99 of the amorphous
// silicon e2 table is 8.32, between 6.5 and 6.09, and is kept as recorded.
//
// Each table is written once, as its recorded decimals; the single- and double-precision
// arrays are both made from these decimals (as float and as double literals), so neither
// goes through the other.
#include "optconst/tables.hpp"

#include <cstddef>

namespace optconst {

namespace {

#define SEC_E1(E) \
  E(11.731) E(11.772) E(11.834) E(11.903) E(11.992) E(12.096) E(12.215) E(12.397) E(12.588) E(12.781) \
  E(12.982) E(13.177) E(13.488) E(13.793) E(14.079) E(14.413) E(14.797) E(15.254) E(15.754) E(16.334) \
  E(16.994) E(17.761) E(18.661) E(19.724) E(20.987) E(22.565) E(24.574) E(27.197) E(30.874) E(36.355) \
  E(43.264) E(35.224) E(22.394) E(19.124) E(17.231) E(15.531) E(13.965) E(12.24) E(9.364) E(2.371) \
  E(-12.404) E(-18.818) E(-19.815) E(-17.931) E(-15.19) E(-13.087) E(-11.507) E(-10.242) E(-9.291) E(-8.724) \
  E(-8.751) E(-9.168) E(-9.106) E(-8.726) E(-8.325) E(-7.987) E(-7.721) E(-7.443)

#define SEC_E2(E) \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.007) E(0.014) E(0.014) \
  E(0.022) E(0.029) E(0.038) E(0.057) E(0.078) E(0.099) E(0.126) E(0.172) E(0.236) E(0.26) \
  E(0.396) E(0.508) E(0.63) E(0.803) E(1.193) E(1.548) E(2.017) E(2.807) E(4.321) E(7.636) \
  E(17.717) E(35.282) E(33.818) E(31.632) E(31.527) E(32.229) E(33.567) E(35.939) E(39.947) E(45.348) \
  E(44.095) E(33.35) E(24.919) E(18.601) E(15.094) E(13.193) E(11.974) E(11.195) E(10.776) E(10.655) \
  E(10.586) E(9.907) E(8.846) E(7.999) E(7.4) E(6.898) E(6.46) E(5.877)

#define SEA_E1(E) \
  E(16.435) E(16.524) E(16.63) E(16.761) E(16.892) E(17.04) E(17.181) E(17.347) E(17.523) E(17.682) \
  E(17.86) E(18.07) E(18.3) E(18.53) E(18.79) E(19.05) E(19.32) E(19.61) E(19.92) E(20.26) \
  E(20.61) E(20.94) E(21.25) E(21.56) E(21.86) E(22.13) E(22.41) E(22.67) E(22.87) E(23.03) \
  E(23.16) E(23.24) E(23.27) E(23.25) E(23.17) E(23.01) E(22.79) E(22.49) E(22.1) E(21.63) \
  E(21.08) E(20.41) E(19.65) E(18.82) E(17.87) E(16.83) E(15.73) E(14.53) E(13.29) E(12.01) \
  E(10.7) E(9.35) E(8.0) E(6.68) E(5.38) E(4.12) E(2.88) E(1.71) E(0.63) E(-0.37) \
  E(-1.31) E(-2.18) E(-2.96) E(-3.66) E(-4.3) E(-4.87) E(-5.37) E(-5.81) E(-6.2) E(-6.53) \
  E(-6.82) E(-7.07) E(-7.27) E(-7.44) E(-7.58) E(-7.69) E(-7.78) E(-7.84) E(-7.88) E(-7.9) \
  E(-7.9) E(-7.9) E(-7.88) E(-7.84) E(-7.8) E(-7.75) E(-7.68) E(-7.62) E(-7.54) E(-7.45) \
  E(-7.37) E(-7.27) E(-7.19) E(-7.11) E(-6.96) E(-6.91) E(-6.79) E(-6.68) E(-6.61) E(-6.49) \
  E(-6.27)

#define SEA_E2(E) \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.05) E(0.13) E(0.38) E(0.85) E(1.42) E(2.02) \
  E(2.61) E(3.22) E(3.87) E(4.52) E(5.18) E(5.85) E(6.56) E(7.28) E(8.07) E(8.89) \
  E(9.74) E(10.64) E(11.55) E(12.51) E(13.48) E(14.5) E(15.53) E(16.56) E(17.63) E(18.69) \
  E(19.73) E(20.77) E(21.76) E(22.71) E(23.62) E(24.46) E(25.2) E(25.87) E(26.43) E(26.89) \
  E(27.23) E(27.45) E(27.56) E(27.54) E(27.42) E(27.2) E(26.89) E(26.46) E(25.96) E(25.42) \
  E(24.82) E(24.18) E(23.51) E(22.81) E(22.1) E(21.37) E(20.65) E(19.93) E(19.22) E(18.54) \
  E(17.86) E(17.2) E(16.55) E(15.93) E(15.33) E(14.74) E(14.18) E(13.65) E(13.13) E(12.62) \
  E(12.14) E(11.68) E(11.26) E(10.83) E(10.43) E(10.04) E(9.67) E(9.32) E(8.97) E(8.66) \
  E(8.35) E(8.04) E(7.77) E(7.49) E(7.22) E(6.97) E(6.73) E(6.5) E(8.32) E(6.09) \
  E(5.78)

#define AL_E1(E) \
  E(197.45) E(143.69) E(112.96) E(95.684) E(85.569) E(78.106) E(69.703) E(58.673) E(48.839) E(44.266) \
  E(44.817) E(47.356) E(48.873) E(47.064) E(42.847) E(38.065) E(34.274) E(31.943) E(30.2) E(28.26) \
  E(26.111) E(24.027) E(22.257) E(20.818) E(19.617) E(18.553) E(17.558) E(16.574) E(15.627) E(14.738) \
  E(13.911) E(13.152) E(12.455) E(11.812) E(11.212) E(10.653) E(10.129) E(9.641) E(9.178) E(8.75) \
  E(8.349) E(7.974) E(7.618) E(7.287) E(6.968) E(6.672) E(6.386) E(6.112) E(5.849)

#define AL_E2(E) \
  E(49.475) E(31.935) E(24.523) E(22.793) E(24.249) E(27.095) E(29.66) E(30.407) E(29.186) E(26.711) \
  E(23.719) E(20.982) E(18.665) E(16.085) E(13.447) E(11.134) E(9.382) E(8.158) E(7.216) E(6.344) \
  E(5.518) E(4.808) E(4.256) E(3.849) E(3.54) E(3.286) E(3.062) E(2.844) E(2.634) E(2.434) \
  E(2.26) E(2.103) E(1.961) E(1.827) E(1.706) E(1.591) E(1.481) E(1.382) E(1.294) E(1.21) \
  E(1.129) E(1.064) E(0.996) E(0.941) E(0.889) E(0.839) E(0.795) E(0.753) E(0.712)

#define SI3N4_E1(E) \
  E(4.04) E(4.05) E(4.07) E(4.09) E(4.11) E(4.12) E(4.14) E(4.16) E(4.18) E(4.2) \
  E(4.23) E(4.25) E(4.27) E(4.29) E(4.32) E(4.34) E(4.37) E(4.39) E(4.42) E(4.45) \
  E(4.48) E(4.51) E(4.54) E(4.57) E(4.61) E(4.66) E(4.71) E(4.76) E(4.82) E(4.89) \
  E(4.96) E(5.03) E(5.1) E(5.16) E(5.23) E(5.3) E(5.39) E(5.48) E(5.58) E(5.69) \
  E(5.82) E(5.99) E(6.15) E(6.32)

#define SI3N4_E2(E) \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) \
  E(0.0) E(0.0) E(0.01) E(0.04) E(0.06) E(0.09) E(0.12) E(0.15) E(0.2) E(0.25) \
  E(0.31) E(0.37) E(0.45) E(0.56)


#define OPTCONST_AS_FLOAT(x) x##f,
#define OPTCONST_AS_DOUBLE(x) x,

template <class R>
struct recorded;

template <>
struct recorded<float> {
  static constexpr float sec_e1[] = {SEC_E1(OPTCONST_AS_FLOAT)};
  static constexpr float sec_e2[] = {SEC_E2(OPTCONST_AS_FLOAT)};
  static constexpr float sea_e1[] = {SEA_E1(OPTCONST_AS_FLOAT)};
  static constexpr float sea_e2[] = {SEA_E2(OPTCONST_AS_FLOAT)};
  static constexpr float al_e1[] = {AL_E1(OPTCONST_AS_FLOAT)};
  static constexpr float al_e2[] = {AL_E2(OPTCONST_AS_FLOAT)};
  static constexpr float si3n4_e1[] = {SI3N4_E1(OPTCONST_AS_FLOAT)};
  static constexpr float si3n4_e2[] = {SI3N4_E2(OPTCONST_AS_FLOAT)};
};

template <>
struct recorded<double> {
  static constexpr double sec_e1[] = {SEC_E1(OPTCONST_AS_DOUBLE)};
  static constexpr double sec_e2[] = {SEC_E2(OPTCONST_AS_DOUBLE)};
  static constexpr double sea_e1[] = {SEA_E1(OPTCONST_AS_DOUBLE)};
  static constexpr double sea_e2[] = {SEA_E2(OPTCONST_AS_DOUBLE)};
  static constexpr double al_e1[] = {AL_E1(OPTCONST_AS_DOUBLE)};
  static constexpr double al_e2[] = {AL_E2(OPTCONST_AS_DOUBLE)};
  static constexpr double si3n4_e1[] = {SI3N4_E1(OPTCONST_AS_DOUBLE)};
  static constexpr double si3n4_e2[] = {SI3N4_E2(OPTCONST_AS_DOUBLE)};
};

// The double entries agree with the float ones to the float rounding: a decimal read as
// double and then rounded to float gives the float read straight from it.
template <std::size_t N>
constexpr bool agree(const float (&f)[N], const double (&d)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<float>(d[i]) != f[i]) return false;
  }
  return true;
}
static_assert(agree(recorded<float>::sec_e1, recorded<double>::sec_e1));
static_assert(agree(recorded<float>::sec_e2, recorded<double>::sec_e2));
static_assert(agree(recorded<float>::sea_e1, recorded<double>::sea_e1));
static_assert(agree(recorded<float>::sea_e2, recorded<double>::sea_e2));
static_assert(agree(recorded<float>::al_e1, recorded<double>::al_e1));
static_assert(agree(recorded<float>::al_e2, recorded<double>::al_e2));
static_assert(agree(recorded<float>::si3n4_e1, recorded<double>::si3n4_e1));
static_assert(agree(recorded<float>::si3n4_e2, recorded<double>::si3n4_e2));

}  // namespace

template <class R>
const table<R> tables<R>::si_crystal{recorded<R>::sec_e1, recorded<R>::sec_e2, 0.3, 0.1};
template <class R>
const table<R> tables<R>::si_amorphous{recorded<R>::sea_e1, recorded<R>::sea_e2, 1.0, 0.05};
template <class R>
const table<R> tables<R>::aluminium{recorded<R>::al_e1, recorded<R>::al_e2, 0.7, 0.1};
template <class R>
const table<R> tables<R>::nitride{recorded<R>::si3n4_e1, recorded<R>::si3n4_e2, 1.5, 0.1};

template struct tables<float>;
template struct tables<double>;

}  // namespace optconst
