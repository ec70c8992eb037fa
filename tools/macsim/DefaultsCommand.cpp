#include "DefaultsCommand.h"

#include "Announcer.h"
#include "CommandOutput.h"

#include "platform/DecimalText.h"
#include "platform/PlistPreferenceStore.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace macsim {

using tallowmere::PropertyArray;
using tallowmere::PropertyDictionary;
using tallowmere::PropertyValue;

namespace {

constexpr const char* domain = "com.tallowmere.app";

bool isPlainWord(const std::string& text) {
    if (text.empty())
        return false;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
               c == '/' || c == '-' || c >= 0x80;
    });
}

std::string quoted(const std::string& text) {
    if (isPlainWord(text))
        return text;
    std::string result = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            result += "\\\"";
            break;
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\U%04x", c);
                result += hex;
            } else {
                result += static_cast<char>(c);
            }
        }
    }
    return result + "\"";
}

std::string number(double value) {
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

std::optional<bool> parseBool(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    if (text == "true" || text == "yes" || text == "1")
        return true;
    if (text == "false" || text == "no" || text == "0")
        return false;
    return std::nullopt;
}

std::optional<PropertyValue> typed(const std::string& type, const std::string& text) {
    if (type == "-bool" || type == "-boolean") {
        if (auto value = parseBool(text))
            return PropertyValue(*value);
        return std::nullopt;
    }
    if (type == "-int" || type == "-integer") {
        std::int64_t value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            return std::nullopt;
        return PropertyValue(value);
    }
    if (type == "-float") {
        auto value = tallowmere::DecimalText::wholeNumber(text);
        return value ? std::optional(PropertyValue(*value)) : std::nullopt;
    }
    if (type == "-string")
        return PropertyValue(text);
    return std::nullopt;
}

bool isTypeFlag(const std::string& text) {
    return text == "-bool" || text == "-boolean" || text == "-int" || text == "-integer" || text == "-float" ||
           text == "-string";
}

int write(Machine& machine, const std::vector<std::string>& arguments) {
    // arguments: KEY [TYPE] VALUE…
    if (arguments.size() < 2)
        return usageError("defaults write needs a key and a value");
    const std::string& key = arguments[0];
    std::optional<PropertyValue> value;
    if (arguments[1] == "-array") {
        PropertyArray array;
        for (size_t i = 2; i < arguments.size(); ++i) {
            if (isTypeFlag(arguments[i]) && i + 1 < arguments.size()) {
                auto element = typed(arguments[i], arguments[i + 1]);
                if (!element)
                    return usageError("\"" + arguments[i + 1] + "\" is not a valid " + arguments[i].substr(1) +
                                      " value");
                array.push_back(std::move(*element));
                ++i;
            } else {
                array.push_back(PropertyValue(arguments[i]));
            }
        }
        value = PropertyValue(std::move(array));
    } else if (isTypeFlag(arguments[1])) {
        if (arguments.size() != 3)
            return usageError("defaults write " + arguments[1] + " takes exactly one value");
        value = typed(arguments[1], arguments[2]);
        if (!value)
            return usageError("\"" + arguments[2] + "\" is not a valid " + arguments[1].substr(1) + " value");
    } else {
        if (arguments.size() != 2)
            return usageError("defaults write takes one value unless a type such as -array is given");
        value = PropertyValue(arguments[1]);
    }
    tallowmere::PlistPreferenceStore store(machine.domainPath());
    store.setObject(key, std::move(*value));
    Announcer(machine).defaultsChanged();
    return exitDone;
}

} // namespace

std::string describeDefaultsValue(const PropertyValue& value, int indent) {
    std::string pad(static_cast<size_t>(indent + 4), ' ');
    std::string closing(static_cast<size_t>(indent), ' ');
    return std::visit(
        [&](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                return v ? "1" : "0";
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return std::to_string(v);
            else if constexpr (std::is_same_v<T, double>)
                return number(v);
            else if constexpr (std::is_same_v<T, std::string>)
                return quoted(v);
            else if constexpr (std::is_same_v<T, tallowmere::PropertyData>) {
                std::string hex = "{length = " + std::to_string(v.bytes.size()) + ", bytes = 0x";
                for (unsigned char c : v.bytes) {
                    char byte[3];
                    std::snprintf(byte, sizeof byte, "%02x", c);
                    hex += byte;
                }
                return hex + "}";
            } else if constexpr (std::is_same_v<T, tallowmere::PropertyDate>) {
                QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
                QDateTime date = reference.addMSecs(static_cast<qint64>(v.secondsSinceReferenceDate * 1000));
                return "\"" + date.toString("yyyy-MM-dd HH:mm:ss +0000").toStdString() + "\"";
            } else if constexpr (std::is_same_v<T, PropertyArray>) {
                if (v.empty())
                    return "(\n" + closing + ")";
                std::string text = "(\n";
                for (size_t i = 0; i < v.size(); ++i)
                    text += pad + describeDefaultsValue(v[i], indent + 4) + (i + 1 < v.size() ? ",\n" : "\n");
                return text + closing + ")";
            } else {
                std::string text = "{\n";
                for (const auto& [key, element] : v)
                    text += pad + quoted(key) + " = " + describeDefaultsValue(element, indent + 4) + ";\n";
                return text + closing + "}";
            }
        },
        value.storage());
}

int runDefaults(Machine& machine, const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return usageError("defaults needs read, write or delete");
    const std::string& verb = arguments[0];
    std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (verb == "read") {
        if (rest.size() > 1)
            return usageError("defaults read takes at most one key");
        tallowmere::PlistPreferenceStore store(machine.domainPath());
        if (rest.empty()) {
            PropertyDictionary all = store.snapshot();
            if (all.empty())
                return failure("Domain " + std::string(domain) + " does not exist");
            printLine(describeDefaultsValue(PropertyValue(all)));
            return exitDone;
        }
        auto value = store.object(rest[0]);
        if (!value)
            return failure("The domain/default pair of (" + std::string(domain) + ", " + rest[0] + ") does not exist");
        printLine(describeDefaultsValue(*value));
        return exitDone;
    }
    if (verb == "write")
        return write(machine, rest);
    if (verb == "delete") {
        if (rest.size() != 1)
            return usageError("defaults delete takes one key");
        tallowmere::PlistPreferenceStore store(machine.domainPath());
        if (!store.hasObject(rest[0]))
            return failure("The domain/default pair of (" + std::string(domain) + ", " + rest[0] + ") does not exist");
        store.removeObject(rest[0]);
        Announcer(machine).defaultsChanged();
        return exitDone;
    }
    return usageError("unknown defaults command \"" + verb + "\"");
}

} // namespace macsim
