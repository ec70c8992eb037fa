#include "platform/PropertyList.h"

#include "platform/XmlNesting.h"

#include <plist/plist.h>

#include <QByteArrayView>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

namespace tallowmere {

std::optional<std::vector<std::string>> stringArray(const PropertyValue& value) {
    const auto* array = value.as<PropertyArray>();
    if (!array)
        return std::nullopt;
    std::vector<std::string> strings;
    strings.reserve(array->size());
    for (const PropertyValue& element : *array) {
        const auto* text = element.as<std::string>();
        if (!text)
            return std::nullopt;
        strings.push_back(*text);
    }
    return strings;
}

PropertyArray toPropertyArray(const std::vector<std::string>& strings) {
    return PropertyArray(strings.begin(), strings.end());
}

namespace PropertyList {
namespace {

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Nesting deeper than this is refused rather than recursed into.
constexpr int maximumDepth = 256;

std::optional<PropertyValue> fromNode(plist_t node, int depth) {
    if (!node || depth > maximumDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PropertyValue(value != 0);
    }
    case PLIST_UINT: {
        // libplist keeps signed integers as their two's-complement bit pattern.
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PropertyValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PropertyValue(value);
    }
    case PLIST_STRING: {
        // By its length: a text that is not whole (a NUL inside) or not UTF-8 makes the list unreadable.
        uint64_t length = 0;
        const char* value = plist_get_string_ptr(node, &length);
        std::string text(value ? value : "", value ? length : 0);
        if (!isWritableText(text))
            return std::nullopt;
        return PropertyValue(std::move(text));
    }
    case PLIST_DATA: {
        char* value = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &value, &length);
        PropertyData data{std::string(value ? value : "", value ? length : 0)};
        std::free(value);
        return PropertyValue(std::move(data));
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return PropertyValue(PropertyDate{seconds + microseconds / 1e6});
    }
    case PLIST_ARRAY: {
        PropertyArray array;
        uint32_t size = plist_array_get_size(node);
        array.reserve(size);
        for (uint32_t i = 0; i < size; ++i) {
            auto element = fromNode(plist_array_get_item(node, i), depth + 1);
            if (!element)
                return std::nullopt;
            array.push_back(std::move(*element));
        }
        return PropertyValue(std::move(array));
    }
    case PLIST_DICT: {
        PropertyDictionary dictionary;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter)
            return PropertyValue(std::move(dictionary));
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (!item) {
                std::free(key);
                break;
            }
            auto element = fromNode(item, depth + 1);
            std::string name = key ? key : "";
            std::free(key);
            if (!element || !isWritableText(name)) {
                std::free(iter);
                return std::nullopt;
            }
            dictionary.insert_or_assign(std::move(name), std::move(*element));
        }
        std::free(iter);
        return PropertyValue(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

plist_t toNode(const PropertyValue& value) {
    return std::visit(
        [](const auto& v) -> plist_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                return plist_new_bool(v ? 1 : 0);
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return plist_new_uint(static_cast<uint64_t>(v));
            else if constexpr (std::is_same_v<T, double>)
                return plist_new_real(v);
            else if constexpr (std::is_same_v<T, std::string>)
                return plist_new_string(v.c_str());
            else if constexpr (std::is_same_v<T, PropertyData>)
                return plist_new_data(v.bytes.data(), v.bytes.size());
            else if constexpr (std::is_same_v<T, PropertyDate>) {
                auto seconds = static_cast<int32_t>(v.secondsSinceReferenceDate);
                auto micro = static_cast<int32_t>((v.secondsSinceReferenceDate - seconds) * 1e6);
                return plist_new_date(seconds, micro);
            } else if constexpr (std::is_same_v<T, PropertyArray>) {
                plist_t array = plist_new_array();
                for (const PropertyValue& element : v)
                    plist_array_append_item(array, toNode(element));
                return array;
            } else {
                plist_t dictionary = plist_new_dict();
                for (const auto& [key, element] : v)
                    plist_dict_set_item(dictionary, key.c_str(), toNode(element));
                return dictionary;
            }
        },
        value.storage());
}

// An XML list: the first non-blank character (after an optional byte-order mark) opens a tag. Binary lists are
// not read: nothing this application reads is binary, and libplist follows their object references recursively
// (so a deep or self-multiplying graph exhausts the stack or the memory).
bool looksLikeXmlPropertyList(std::string_view bytes) {
    std::string_view rest = bytes;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    auto first = rest.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && rest[first] == '<';
}

} // namespace

bool isWritableText(std::string_view text) {
    return text.find('\0') == std::string_view::npos && QByteArrayView(text.data(), text.size()).isValidUtf8();
}

bool isWritable(const PropertyValue& value) {
    if (const auto* text = value.as<std::string>())
        return isWritableText(*text);
    if (const auto* array = value.as<PropertyArray>())
        return std::all_of(array->begin(), array->end(),
                           [](const PropertyValue& element) { return isWritable(element); });
    if (const auto* dictionary = value.as<PropertyDictionary>())
        return std::all_of(dictionary->begin(), dictionary->end(),
                           [](const auto& entry) { return isWritableText(entry.first) && isWritable(entry.second); });
    return true;
}

std::optional<PropertyValue> parse(std::string_view bytes) {
    // A NUL byte is never part of an XML document; libplist would cut the text holding it short.
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max() || !looksLikeXmlPropertyList(bytes) ||
        bytes.find('\0') != std::string_view::npos || !nestsWithin(bytes, maximumDepth + 2))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    return fromNode(root, 0);
}

std::optional<PropertyDictionary> parseDictionary(std::string_view bytes) {
    auto value = parse(bytes);
    if (!value || !value->is<PropertyDictionary>())
        return std::nullopt;
    return std::get<PropertyDictionary>(std::move(*value).takeStorage());
}

std::string toXml(const PropertyValue& value) {
    PlistPtr root(toNode(value));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(root.get()), &xml, &length);
    std::string result(xml ? xml : "", xml ? length : 0);
    plist_to_xml_free(xml);
    return result;
}

} // namespace PropertyList
} // namespace tallowmere
