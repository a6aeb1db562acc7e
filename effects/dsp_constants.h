// Constants the effects' formulas share, written as the formulas have always written them.
#pragma once

namespace wd {

inline constexpr double kPi = 3.14159265;
inline constexpr double kTwoPi = 6.2831853;

}  // namespace wd
