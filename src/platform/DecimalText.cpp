#include "platform/DecimalText.h"

#include <locale>
#include <sstream>
#include <string>

namespace tallowmere::DecimalText {

std::optional<std::pair<double, std::size_t>> leadingNumber(std::string_view text) {
    std::size_t at = 0;
    auto skipDigits = [&] {
        const std::size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        return at - start;
    };
    if (at < text.size() && text[at] == '-')
        ++at;
    std::size_t mantissa = skipDigits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        mantissa += skipDigits();
    }
    if (mantissa == 0)
        return std::nullopt;
    std::size_t end = at;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (skipDigits() > 0)
            end = at;
    }
    // The classic locale's decimal point whatever the process's locale; out of range fails the stream.
    std::istringstream stream{std::string(text.substr(0, end))};
    stream.imbue(std::locale::classic());
    double value = 0;
    if (!(stream >> value))
        return std::nullopt;
    return std::pair{value, end};
}

std::optional<double> wholeNumber(std::string_view text) {
    auto number = leadingNumber(text);
    if (!number || number->second != text.size())
        return std::nullopt;
    return number->first;
}

} // namespace tallowmere::DecimalText
