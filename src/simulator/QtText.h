#pragma once

#include <QString>

#include <string>

namespace macsim {

// Paths and names cross between the standard library and Qt on almost every line of the machine's code.
inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace macsim
