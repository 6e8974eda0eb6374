// The language folder a locale selects, through its Windows language identifier.

#include "platform/UiLanguage.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(UiLanguageTest, LocalesSelectTheirFolders)
{
    // A territory's own identifier, else the language's, else US English; the sublanguage
    // selects the folder for Chinese and Portuguese only.
    const struct { const char* locale; LANGID id; const char* folder; } cases[] = {
        {"zh_TW", 0x0404, "TC"}, {"zh_Hant", 0x0404, "TC"}, {"zh", 0x0804, "SC"}, {"zh_HK", 0x0C04, "US"},
        {"pt", 0x0416, "BR"}, {"pt_PT", 0x0816, "US"}, {"pt_AO", 0x0816, "US"}, {"de_AT", 0x0C07, "GR"},
        {"es_MX", 0x080A, "SP"}, {"nl", 0x0413, "NE"}, {"nn", 0x0814, "NO"}, {"sv", 0x041D, "SV"},
        {"ru", 0x0419, "US"}, {"en_DE", 0x0409, "US"}, {"sw_KE", 0x0409, "US"}, {"C", 0x0409, "US"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LangIdFromLocale(QLocale(c.locale)), c.id) << c.locale;
        EXPECT_EQ(LanguageFolderCode(c.id), c.folder) << c.locale;
    }
}

} // namespace
