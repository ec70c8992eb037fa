#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace tallowmere {

// Decimal numbers written in text, read the same in every locale and with every standard library (a Mac's has
// no std::from_chars for floating point).
namespace DecimalText {

// The number at the start of `text` ("-12.5e3 apples" reads -12500) and the characters it takes: an optional
// minus, digits with an optional decimal point, an optional exponent. Nothing when the text does not start with
// one or it is out of the range of a double. No plus sign, hexadecimal, infinity or NaN.
std::optional<std::pair<double, std::size_t>> leadingNumber(std::string_view text);
// The number when the whole text is one.
std::optional<double> wholeNumber(std::string_view text);

} // namespace DecimalText
} // namespace tallowmere
