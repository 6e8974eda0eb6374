// The language folder chosen by each language identifier, and the identifiers of locales.

#include "platform/UiLanguage.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(UiLanguageTest, FolderCodes)
{
    const struct { LANGID id; const char* folder; } cases[] = {
        {0x0404, "TC"}, {0x0804, "SC"}, {0x0C04, "US"}, {0x1004, "US"}, {0x0004, "US"},
        {0x0406, "DK"}, {0x0407, "GR"}, {0x0807, "GR"}, {0x0C0A, "SP"}, {0x080A, "SP"},
        {0x040B, "FI"}, {0x040C, "FR"}, {0x0C0C, "FR"}, {0x0410, "IT"}, {0x0411, "JP"},
        {0x0412, "KR"}, {0x0413, "NE"}, {0x0813, "NE"}, {0x0414, "NO"}, {0x0814, "NO"},
        {0x0416, "BR"}, {0x0816, "US"}, {0x041D, "SV"}, {0x081D, "SV"}, {0x0409, "US"},
        {0x0809, "US"}, {0x0419, "US"}, {0x0000, "US"}, {0xFFFF, "US"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageFolderCode(c.id), c.folder) << std::hex << c.id;
}

TEST(UiLanguageTest, LocalesMapToWindowsIdentifiers)
{
    const struct { const char* locale; LANGID id; } cases[] = {
        {"zh_TW", 0x0404}, {"zh_CN", 0x0804}, {"zh_HK", 0x0C04}, {"zh_Hant", 0x0404},
        {"zh", 0x0804}, {"de", 0x0407}, {"de_AT", 0x0C07}, {"pt", 0x0416}, {"pt_BR", 0x0416},
        {"pt_PT", 0x0816}, {"pt_AO", 0x0816}, {"nb_NO", 0x0414}, {"nn_NO", 0x0814},
        {"es", 0x0C0A}, {"es_MX", 0x080A}, {"fr_CA", 0x0C0C}, {"sv_FI", 0x081D},
        {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_DE", 0x0409}, {"ru_RU", 0x0419},
        {"pl", 0x0415}, {"cs", 0x0405}, {"sw_KE", 0x0409}, {"C", 0x0409},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LangIdFromLocale(QLocale(c.locale)), c.id) << c.locale;
}

} // namespace
