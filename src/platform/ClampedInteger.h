#pragma once

#include <cmath>
#include <limits>

namespace tallowmere {

// The integer a double stands for, cut toward zero like a cast, but defined for every double (a cast of one
// out of the type's range is undefined): NaN gives 0, anything beyond the range the nearest end of it.
template <class Integer> Integer clampedInteger(double value) {
    using Limits = std::numeric_limits<Integer>;
    // 2^digits is the first whole number past the range; it and the lower end are exact doubles.
    const double past = std::ldexp(1.0, Limits::digits);
    if (std::isnan(value))
        return 0;
    if (value >= past)
        return Limits::max();
    if (value <= (Limits::is_signed ? -past : 0.0))
        return Limits::min();
    return static_cast<Integer>(value);
}

} // namespace tallowmere
