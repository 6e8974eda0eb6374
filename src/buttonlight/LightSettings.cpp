#include "buttonlight/LightSettings.h"

#include "registry/RegValues.h"
#include "settings/Settings.h"

namespace blink {

using namespace reg;

namespace {

const QString kDefaultState = QStringLiteral("DefaultState");
const QString kCurrentBlinkLevel = QStringLiteral("CurrentBlinkLevel");
const QString kProgramName = QStringLiteral("ProgramName");
const QString kSettingProgramPath = QStringLiteral("SettingProgramPath");
const QString kSettingProgramParameters = QStringLiteral("SettingProgramParameters");
const QString kEnableFunction = QStringLiteral("EnableFunction");
const QString kBlinkLevel = QStringLiteral("BlinkLevel");

void ReadText(HKEY key, const QString& name, QString* text, QStringList* kept)
{
    bool whole = true;
    *text = ReadRecordText(key, name, kTextBufferUnits, &whole);
    if (!whole)
        kept->append(name);
}

void ReadLevel(HKEY key, const QString& name, DWORD* value, QStringList* kept)
{
    bool whole = true;
    *value = ReadRecordDword(key, name, &whole);
    if (!whole)
        kept->append(name);
}

IndicationItem ReadItem(HKEY key, const QString& keyName)
{
    IndicationItem item;
    item.KeyName = keyName;
    ReadText(key, kProgramName, &item.ProgramName, &item.KeptValues);
    ReadText(key, kSettingProgramPath, &item.SettingProgramPath, &item.KeptValues);
    ReadText(key, kSettingProgramParameters, &item.SettingProgramParameters, &item.KeptValues);
    ReadLevel(key, kEnableFunction, &item.EnableFunction, &item.KeptValues);
    ReadLevel(key, kBlinkLevel, &item.BlinkLevel, &item.KeptValues);
    return item;
}

// A key that went away since the load is skipped; any other failure fails the save.
bool OpenForWrite(const QString& path, Key* key, app::PageSave& save)
{
    const LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_READ | KEY_WRITE, key->put());
    if (status == ERROR_FILE_NOT_FOUND)
        return false;
    return save.Run(Root::CurrentUser, [status] { return status; });
}

void WriteItem(HKEY key, const IndicationItem& item, app::PageSave& save)
{
    const auto keeps = [&item](const QString& name) { return item.KeptValues.contains(name); };
    for (const auto& [name, text] : {std::pair{kProgramName, &item.ProgramName},
                                     {kSettingProgramParameters, &item.SettingProgramParameters},
                                     {kSettingProgramPath, &item.SettingProgramPath}}) {
        if (!keeps(name))
            save.Run(Root::CurrentUser, [&] { return SetString(key, name, *text); });
    }
    for (const auto& [name, value] : {std::pair{kBlinkLevel, item.BlinkLevel}, {kEnableFunction, item.EnableFunction}}) {
        if (!keeps(name))
            save.Run(Root::CurrentUser, [&] { return SetDword(key, name, value); });
    }
}

} // namespace

platform::LedRequest LightRequest(DWORD level)
{
    switch (level) {
    case kOn:
        return {0, 1, 0};
    case kLowBlink:
        return {1, 1, 0};
    case kMediumBlink:
        return {1, 1, 1};
    case kHighBlink:
        return {1, 1, 2};
    default:
        return {};
    }
}

StoredSettings LoadLightSettings(HKEY root, const QString& lightRoot)
{
    StoredSettings stored;
    Key key;
    const LSTATUS opened = RegOpenKeyEx(root, lightRoot, KEY_READ, key.put());
    if (opened != ERROR_SUCCESS) {
        stored.unreadable = opened != ERROR_FILE_NOT_FOUND;
        return stored;
    }
    QStringList kept;
    ReadLevel(key, kDefaultState, &stored.DefaultState, &kept);
    stored.defaultStateKept = !kept.isEmpty();
    QString name;
    LSTATUS status;
    for (DWORD index = 0; (status = RegEnumKeyEx(key, index, &name)) == ERROR_SUCCESS; ++index) {
        Key function;
        if (RegOpenKeyEx(key, name, KEY_READ, function.put()) == ERROR_SUCCESS)
            stored.items.append(ReadItem(function, name));
    }
    stored.unreadable = status != ERROR_NO_MORE_ITEMS;
    return stored;
}

void WriteLightSettings(DWORD defaultState, bool defaultStateKept, const QList<IndicationItem>& items,
                        app::PageSave& save)
{
    if (!save.Begin(Root::CurrentUser))
        return;
    const QString lightRoot = settings::UserDataKey(settings::Area::ButtonLight);
    Key root;
    if (OpenForWrite(lightRoot, &root, save) && !defaultStateKept)
        save.Run(Root::CurrentUser, [&] { return SetDword(root, kDefaultState, defaultState); });
    for (const IndicationItem& item : items) {
        Key key;
        if (OpenForWrite(lightRoot + QLatin1Char('\\') + item.KeyName, &key, save))
            WriteItem(key, item, save);
    }
}

DWORD StoredLightLevel()
{
    Key key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, settings::UserDataKey(settings::Area::ButtonLight), KEY_READ, key.put()) != ERROR_SUCCESS)
        return kOff;
    for (const QString& name : {kCurrentBlinkLevel, kDefaultState}) {
        DWORD level = 0;
        if (QueryDword(key, name, &level) == ERROR_SUCCESS)
            return level;
    }
    return kOff;
}

} // namespace blink
