#include "UiLanguage.h"

#include <QStringList>

namespace platform {

namespace {

LANGID g_override = 0;

struct LangIdRow {
    QLocale::Language language;
    // AnyTerritory: the language's identifier for territories without a row of their own.
    QLocale::Territory territory;
    LANGID id;
};

// Every language with a folder of its own, with its regional variants, and the widespread others.
constexpr LangIdRow kLangIds[] = {
    {QLocale::Chinese, QLocale::AnyTerritory, 0x0804},
    {QLocale::Chinese, QLocale::Taiwan, 0x0404},
    {QLocale::Chinese, QLocale::HongKong, 0x0C04},
    {QLocale::Chinese, QLocale::Singapore, 0x1004},
    {QLocale::Chinese, QLocale::Macao, 0x1404},
    {QLocale::Danish, QLocale::AnyTerritory, 0x0406},
    {QLocale::German, QLocale::AnyTerritory, 0x0407},
    {QLocale::German, QLocale::Switzerland, 0x0807},
    {QLocale::German, QLocale::Austria, 0x0C07},
    {QLocale::German, QLocale::Luxembourg, 0x1007},
    {QLocale::German, QLocale::Liechtenstein, 0x1407},
    {QLocale::English, QLocale::AnyTerritory, 0x0409},
    {QLocale::English, QLocale::UnitedKingdom, 0x0809},
    {QLocale::English, QLocale::Australia, 0x0C09},
    {QLocale::English, QLocale::Canada, 0x1009},
    {QLocale::English, QLocale::NewZealand, 0x1409},
    {QLocale::English, QLocale::Ireland, 0x1809},
    {QLocale::English, QLocale::SouthAfrica, 0x1C09},
    {QLocale::English, QLocale::India, 0x4009},
    {QLocale::English, QLocale::Singapore, 0x4809},
    {QLocale::Spanish, QLocale::AnyTerritory, 0x0C0A},
    {QLocale::Spanish, QLocale::Mexico, 0x080A},
    {QLocale::Spanish, QLocale::Argentina, 0x2C0A},
    {QLocale::Spanish, QLocale::Chile, 0x340A},
    {QLocale::Spanish, QLocale::Colombia, 0x240A},
    {QLocale::Spanish, QLocale::Peru, 0x280A},
    {QLocale::Spanish, QLocale::UnitedStates, 0x540A},
    {QLocale::Finnish, QLocale::AnyTerritory, 0x040B},
    {QLocale::French, QLocale::AnyTerritory, 0x040C},
    {QLocale::French, QLocale::Belgium, 0x080C},
    {QLocale::French, QLocale::Canada, 0x0C0C},
    {QLocale::French, QLocale::Switzerland, 0x100C},
    {QLocale::French, QLocale::Luxembourg, 0x140C},
    {QLocale::Italian, QLocale::AnyTerritory, 0x0410},
    {QLocale::Italian, QLocale::Switzerland, 0x0810},
    {QLocale::Japanese, QLocale::AnyTerritory, 0x0411},
    {QLocale::Korean, QLocale::AnyTerritory, 0x0412},
    {QLocale::Dutch, QLocale::AnyTerritory, 0x0413},
    {QLocale::Dutch, QLocale::Belgium, 0x0813},
    {QLocale::NorwegianBokmal, QLocale::AnyTerritory, 0x0414},
    {QLocale::NorwegianNynorsk, QLocale::AnyTerritory, 0x0814},
    // Portuguese outside Brazil follows the European standard.
    {QLocale::Portuguese, QLocale::AnyTerritory, 0x0816},
    {QLocale::Portuguese, QLocale::Brazil, 0x0416},
    {QLocale::Swedish, QLocale::AnyTerritory, 0x041D},
    {QLocale::Swedish, QLocale::Finland, 0x081D},
    {QLocale::Arabic, QLocale::AnyTerritory, 0x0401},
    {QLocale::Bulgarian, QLocale::AnyTerritory, 0x0402},
    {QLocale::Catalan, QLocale::AnyTerritory, 0x0403},
    {QLocale::Czech, QLocale::AnyTerritory, 0x0405},
    {QLocale::Greek, QLocale::AnyTerritory, 0x0408},
    {QLocale::Hebrew, QLocale::AnyTerritory, 0x040D},
    {QLocale::Hungarian, QLocale::AnyTerritory, 0x040E},
    {QLocale::Icelandic, QLocale::AnyTerritory, 0x040F},
    {QLocale::Polish, QLocale::AnyTerritory, 0x0415},
    {QLocale::Romanian, QLocale::AnyTerritory, 0x0418},
    {QLocale::Russian, QLocale::AnyTerritory, 0x0419},
    {QLocale::Croatian, QLocale::AnyTerritory, 0x041A},
    {QLocale::Slovak, QLocale::AnyTerritory, 0x041B},
    {QLocale::Thai, QLocale::AnyTerritory, 0x041E},
    {QLocale::Turkish, QLocale::AnyTerritory, 0x041F},
    {QLocale::Indonesian, QLocale::AnyTerritory, 0x0421},
    {QLocale::Ukrainian, QLocale::AnyTerritory, 0x0422},
    {QLocale::Slovenian, QLocale::AnyTerritory, 0x0424},
    {QLocale::Estonian, QLocale::AnyTerritory, 0x0425},
    {QLocale::Latvian, QLocale::AnyTerritory, 0x0426},
    {QLocale::Lithuanian, QLocale::AnyTerritory, 0x0427},
    {QLocale::Persian, QLocale::AnyTerritory, 0x0429},
    {QLocale::Vietnamese, QLocale::AnyTerritory, 0x042A},
    {QLocale::Basque, QLocale::AnyTerritory, 0x042D},
    {QLocale::Hindi, QLocale::AnyTerritory, 0x0439},
    {QLocale::Malay, QLocale::AnyTerritory, 0x043E},
    {QLocale::Galician, QLocale::AnyTerritory, 0x0456},
};

} // namespace

LANGID LangIdFromLocale(const QLocale& locale)
{
    const LangIdRow* fallback = nullptr;
    for (const LangIdRow& row : kLangIds) {
        if (row.language != locale.language())
            continue;
        if (row.territory == locale.territory())
            return row.id;
        if (row.territory == QLocale::AnyTerritory)
            fallback = &row;
    }
    return fallback ? fallback->id : MakeLangId(0x09, 0x01);
}

LANGID GetUserDefaultUILanguage()
{
    if (g_override != 0)
        return g_override;
    // The first UI language follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG, as the desktop does.
    const QStringList languages = QLocale::system().uiLanguages();
    return LangIdFromLocale(languages.isEmpty() ? QLocale::system() : QLocale(languages.first()));
}

void OverrideUserDefaultUILanguage(LANGID id) { g_override = id; }

QString LanguageFolderCode(LANGID id)
{
    const std::uint16_t sub = SubLangId(id);
    switch (PrimaryLangId(id)) {
    case 0x04: // Chinese: Traditional (Taiwan) and Simplified (PRC) only
        if (sub == 0x01)
            return QStringLiteral("TC");
        return sub == 0x02 ? QStringLiteral("SC") : QStringLiteral("US");
    case 0x06:
        return QStringLiteral("DK");
    case 0x07:
        return QStringLiteral("GR");
    case 0x0A:
        return QStringLiteral("SP");
    case 0x0B:
        return QStringLiteral("FI");
    case 0x0C:
        return QStringLiteral("FR");
    case 0x10:
        return QStringLiteral("IT");
    case 0x11:
        return QStringLiteral("JP");
    case 0x12:
        return QStringLiteral("KR");
    case 0x13:
        return QStringLiteral("NE");
    case 0x14:
        return QStringLiteral("NO");
    case 0x16: // Portuguese: Brazil only
        return sub == 0x01 ? QStringLiteral("BR") : QStringLiteral("US");
    case 0x1D:
        return QStringLiteral("SV");
    default:
        return QStringLiteral("US");
    }
}

} // namespace platform
