#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <functional>

namespace tallowmere {

// Cuts a byte stream into lines. A line longer than the limit is never held whole: its bytes are dropped as they
// come, up to its line feed, and it is reported once.
class LineFramer {
public:
    explicit LineFramer(std::size_t maximumLength)
        : m_maximumLength(maximumLength) {}

    // Calls `line` with every complete line (without its line feed) and `overlong` once for every line dropped.
    void feed(QByteArrayView bytes, const std::function<void(const QByteArray&)>& line,
              const std::function<void()>& overlong);

    // Bytes of an unfinished line held now.
    std::size_t buffered() const { return static_cast<std::size_t>(m_partial.size()); }

private:
    std::size_t m_maximumLength;
    QByteArray m_partial;
    bool m_isDropping = false;
};

} // namespace tallowmere
