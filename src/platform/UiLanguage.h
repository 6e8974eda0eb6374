#pragma once
// The user's default UI language as a Windows language identifier (primary language in the low
// 10 bits, sublanguage in the high 6), taken from the locale, and the language folder it selects.

#include <QLocale>
#include <QString>

#include <cstdint>

namespace platform {

using LANGID = std::uint16_t;

constexpr LANGID MakeLangId(std::uint16_t primary, std::uint16_t sub) { return LANGID((sub << 10) | primary); }
constexpr std::uint16_t PrimaryLangId(LANGID id) { return id & 0x3FF; }
constexpr std::uint16_t SubLangId(LANGID id) { return id >> 10; }

// 0x0409 (English, United States) for locales without a Windows identifier.
LANGID LangIdFromLocale(const QLocale& locale);
// The user's UI language: QLocale::system()'s first UI language, or the override.
LANGID GetUserDefaultUILanguage();
// 0 returns to the system's language.
void OverrideUserDefaultUILanguage(LANGID id);

// "TC", "SC", "DK", "GR", ... or "US" for every language without a folder of its own.
QString LanguageFolderCode(LANGID id);

} // namespace platform
