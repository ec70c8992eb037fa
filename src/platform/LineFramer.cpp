#include "platform/LineFramer.h"

namespace tallowmere {

void LineFramer::feed(QByteArrayView bytes, const std::function<void(const QByteArray&)>& line,
                      const std::function<void()>& overlong) {
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        bytes = end < 0 ? QByteArrayView() : bytes.sliced(end + 1);
        if (!m_isDropping) {
            if (buffered() + static_cast<std::size_t>(piece.size()) > m_maximumLength) {
                m_partial.clear();
                m_partial.squeeze();
                m_isDropping = true;
                overlong();
            } else {
                m_partial.append(piece);
            }
        }
        if (end < 0)
            return;
        if (!m_isDropping)
            line(m_partial);
        m_partial.clear();
        m_isDropping = false;
    }
}

} // namespace tallowmere
