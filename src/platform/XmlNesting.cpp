#include "platform/XmlNesting.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace tallowmere::PropertyList {
namespace {

class XmlNesting {
public:
    explicit XmlNesting(std::string_view xml)
        : m_xml(xml) {}

    bool isWithin(std::size_t limit) {
        while (true) {
            skipSpace();
            if (atEnd() || m_xml[m_pos] != '<' || ++m_pos == m_xml.size())
                return true;
            if (at("?")) {
                if (!skipTo("?>", true))
                    return true;
                m_pos += 2;
            } else if (at("!")) {
                if (!skipSpecialTag())
                    return true;
            } else {
                std::optional<Tag> tag = readTag();
                if (!tag)
                    return true;
                if (tag->name == "plist" || tag->name == "dict" || tag->name == "array") {
                    if (!tag->isEmpty)
                        m_open.push_back(tag->name);
                    if (m_open.size() > limit)
                        return false;
                } else if (tag->name.starts_with('/')) {
                    if (m_open.empty() || m_open.back() != tag->name.substr(1))
                        return true;
                    m_open.pop_back();
                } else if (isTextElement(tag->name)) {
                    if (!tag->isEmpty && !skipText(tag->name))
                        return true;
                } else {
                    return true;
                }
            }
        }
    }

private:
    struct Tag {
        std::string_view name;
        bool isEmpty = false;
    };

    static bool isTextElement(std::string_view name) {
        for (std::string_view text : {"string", "key", "integer", "real", "true", "false", "data", "date"})
            if (name == text)
                return true;
        return false;
    }
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    bool atEnd() const { return m_pos >= m_xml.size(); }
    bool at(std::string_view text) const { return m_xml.substr(m_pos).starts_with(text); }
    void skipSpace() {
        while (!atEnd() && isSpace(m_xml[m_pos]))
            ++m_pos;
    }
    // Moves to the next `stop`, passing over a double-quoted run whole when `quoted`; false at the end.
    bool skipTo(std::string_view stop, bool quoted) {
        for (; !atEnd(); ++m_pos) {
            if (at(stop))
                return true;
            if (quoted && m_xml[m_pos] == '"' && !skipQuotedRun())
                return false;
        }
        return false;
    }
    // Moves to the next of `stops`, likewise.
    bool skipToAny(std::string_view stops, bool quoted) {
        for (; !atEnd(); ++m_pos) {
            if (quoted && m_xml[m_pos] == '"' && !skipQuotedRun())
                return false;
            if (stops.find(m_xml[m_pos]) != std::string_view::npos)
                return true;
        }
        return false;
    }
    // From an opening quote to its closing one.
    bool skipQuotedRun() {
        auto close = m_xml.find('"', m_pos + 1);
        if (close == std::string_view::npos)
            return false;
        m_pos = close;
        return true;
    }
    // A comment or the document type, after "<".
    bool skipSpecialTag() {
        if (at("!--")) {
            m_pos += 3;
            if (!skipTo("-->", false))
                return false;
            m_pos += 3;
            return true;
        }
        if (!at("!DOCTYPE"))
            return false;
        m_pos += 8;
        while (true) {
            if (!skipToAny(" \t\r\n[>", true))
                return false;
            if (m_xml[m_pos] == '>') {
                ++m_pos;
                return true;
            }
            if (m_xml[m_pos] == '[')
                break;
            skipSpace();
        }
        if (!skipTo("]>", true))
            return false;
        m_pos += 2;
        return true;
    }
    // An element's tag after "<", up to and past its ">".
    std::optional<Tag> readTag() {
        std::size_t start = m_pos;
        if (!skipToAny(" \r\n\t<>", false))
            return std::nullopt;
        Tag tag{m_xml.substr(start, m_pos - start)};
        if (m_xml[m_pos] != '>' && !skipToAny("<>", true))
            return std::nullopt;
        if (m_xml[m_pos] != '>')
            return std::nullopt;
        if (m_xml[m_pos - 1] == '/') {
            tag.isEmpty = true;
            tag.name = tag.name.substr(0, std::min(tag.name.size(), m_pos - start - 1));
        }
        ++m_pos;
        return tag;
    }
    // The text of an element, its comments and CDATA sections, and its closing tag.
    bool skipText(std::string_view name) {
        while (true) {
            m_pos = m_xml.find('<', m_pos);
            if (m_pos == std::string_view::npos || ++m_pos >= m_xml.size())
                return false;
            if (at("/"))
                break;
            if (at("!--")) {
                m_pos += 3;
                if (!skipTo("-->", false))
                    return false;
                m_pos += 3;
            } else if (at("![CDATA[")) {
                m_pos += 8;
                if (!skipTo("]]>", false))
                    return false;
                m_pos += 3;
            } else {
                return false;
            }
        }
        ++m_pos;
        if (!at(name))
            return false;
        m_pos += name.size();
        skipSpace();
        if (atEnd() || m_xml[m_pos] != '>')
            return false;
        ++m_pos;
        return true;
    }

    std::string_view m_xml;
    std::size_t m_pos = 0;
    std::vector<std::string_view> m_open;
};

} // namespace

bool nestsWithin(std::string_view xml, std::size_t limit) {
    return XmlNesting(xml).isWithin(limit);
}

} // namespace tallowmere::PropertyList
