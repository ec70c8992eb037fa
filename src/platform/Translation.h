#pragma once

#include <string>

namespace tallowmere {

// A text a person reads, in the language of the user's locale; the English text itself where there is no
// translation (the C locale, the tests). Spelled like `QCoreApplication::translate`, which lupdate is told it is
// (`-tr-function-alias translate+=translated`), so the literal context and text are extracted where they are
// written. With `count`, "%n" in the text becomes the count and the translation takes its plural form.
std::string translated(const char* context, const char* text, const char* disambiguation = nullptr, int count = -1);

// The text with %1 (and %2) replaced by the arguments, in one pass: an argument holding "%2" stays as it is.
std::string filledIn(const std::string& text, const std::string& first);
std::string filledIn(const std::string& text, const std::string& first, const std::string& second);

// Loads the translation of the user's locale (QLocale::system(): LC_ALL, LC_MESSAGES, LANG and LANGUAGE) from the
// compiled-in ":/i18n" and installs it for the whole application. English needs none.
void installTranslation();

} // namespace tallowmere
