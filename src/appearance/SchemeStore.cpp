#include "appearance/SchemeStore.h"

#include "platform/Broadcast.h"
#include "registry/RegValues.h"
#include "settings/AdminLock.h"
#include "settings/PageSave.h"
#include "settings/Settings.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QDir>

namespace scheme {

using namespace reg;

namespace {

const QString kFgColor = QStringLiteral("FgColor");
const QString kBgColor = QStringLiteral("BgColor");
const QString kUseMastHead = QStringLiteral("UseMastHead");
const QString kBgImage = QStringLiteral("BgImage");
const QString kBgImageOSD = QStringLiteral("BgImageOSD");

QString UserRoot() { return settings::UserDataKey(settings::Area::Appearance); }

QString SchemeKey(const QString& root, const QString& keyName) { return root + u'\\' + keyName; }

SchemeItem ReadScheme(HKEY key, const QString& keyName, const QString& installPath)
{
    SchemeItem item;
    bool whole = true;
    item.FgColor = ReadRecordDword(key, kFgColor, &whole);
    item.BgColor = ReadRecordDword(key, kBgColor, &whole);
    item.UseMastHead = ReadRecordDword(key, kUseMastHead, &whole) != 0 ? 1 : 0;
    item.BgImage = ResolveImage(ReadRecordText(key, kBgImage, kTextBufferUnits, &whole), installPath);
    item.BgImageOSD = ResolveImage(ReadRecordText(key, kBgImageOSD, kTextBufferUnits, &whole), installPath);
    // A value there but unreadable leaves the scheme as stored.
    item.Unreadable = !whole;
    item.KeyName = keyName;
    item.DisplayName = DisplayNameOf(keyName);
    item.IsBuiltIn = IsBuiltInName(keyName) ? 1 : 0;
    return item;
}

} // namespace

bool IsBuiltInName(const QString& keyName) { return keyName == kDefaultScheme || keyName == kWhiteScheme; }

QString DisplayNameOf(const QString& keyName)
{
    if (keyName == kDefaultScheme)
        return res::LoadResString(res::IDS_SCHEME_DEFAULT_BLACK);
    if (keyName == kWhiteScheme)
        return res::LoadResString(res::IDS_SCHEME_DEFAULT_WHITE);
    return keyName;
}

QString ResolveImage(const QString& stored, const QString& installPath)
{
    const bool bare = !stored.contains(u':') && !stored.contains(u'\\') && !stored.contains(u'/');
    if (!bare)
        return stored;
    if (installPath.isEmpty())
        return {};
    const QString resolved = QDir::toNativeSeparators(installPath + QStringLiteral("/Image/")) + stored;
    TRACE("BackgroudImage : %s", qUtf8Printable(resolved));
    return resolved;
}

bool IsValidSchemeName(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'\\') && !name.contains(u'/');
}

SchemeList LoadSchemes(const QString& installPath)
{
    SchemeList list;
    const bool managed = settings::IsManagedMode();
    const HKEY root = managed ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const QString rootPath = settings::DataKey(settings::Area::Appearance);
    const bool mayWrite = app::MaySaveContent();

    Key key;
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    if (mayWrite) {
        // A fresh store always holds the default scheme. The repair is best effort: the list
        // shows the default scheme whether or not it could be written, and a store that cannot be
        // written is told when the user changes something.
        Key created;
        if (const LSTATUS made = RegCreateKeyEx(root, SchemeKey(rootPath, kDefaultScheme), KEY_READ | KEY_WRITE, created.put()))
            TRACE("The default scheme cannot be created: %ld", long(made));
        status = RegCreateKeyEx(root, rootPath, KEY_READ | KEY_WRITE, key.put());
    }
    // A root this user may only read is still shown.
    if (status != ERROR_SUCCESS)
        status = RegOpenKeyEx(root, rootPath, KEY_READ, key.put());
    if (status != ERROR_SUCCESS) {
        list.unreadable = settings::IsReadFailure(status);
        list.current = list.unreadable ? QString() : kDefaultScheme;
        return list;
    }

    status = QueryString(key, QString(), kTextBufferUnits, &list.current);
    if (status == ERROR_FILE_NOT_FOUND) {
        list.current = kDefaultScheme;
        if (mayWrite) {
            if (const LSTATUS written = SetString(key, QString(), kDefaultScheme))
                TRACE("The scheme in use cannot be written: %ld", long(written));
        }
    } else if (status != ERROR_SUCCESS) {
        list.current.clear();
    }

    QString name;
    DWORD index = 0;
    for (; (status = RegEnumKeyEx(key, index, &name)) == ERROR_SUCCESS; ++index) {
        Key sub;
        if (RegOpenKeyEx(key, name, KEY_READ, sub.put()) == ERROR_SUCCESS)
            list.items.append(ReadScheme(sub, name, installPath));
    }
    list.unreadable = status != ERROR_NO_MORE_ITEMS;
    return list;
}

LSTATUS SaveScheme(const SchemeItem& item)
{
    if (!app::MaySaveContent())
        return ERROR_SUCCESS;
    if (!IsValidSchemeName(item.KeyName))
        return ERROR_INVALID_PARAMETER;
    app::PageSave save;
    Key key;
    if (save.Begin(Root::CurrentUser)
        && save.Run(Root::CurrentUser, [&] {
               return RegCreateKeyEx(HKEY_CURRENT_USER, SchemeKey(UserRoot(), item.KeyName), KEY_READ | KEY_WRITE, key.put());
           })) {
        save.Run(Root::CurrentUser, [&] { return SetDword(key, kFgColor, item.FgColor); });
        save.Run(Root::CurrentUser, [&] { return SetDword(key, kBgColor, item.BgColor); });
        save.Run(Root::CurrentUser, [&] { return SetDword(key, kUseMastHead, item.UseMastHead); });
        save.Run(Root::CurrentUser, [&] { return SetString(key, kBgImage, item.BgImage); });
        save.Run(Root::CurrentUser, [&] { return SetString(key, kBgImageOSD, item.BgImageOSD); });
    }
    return save.Commit().status;
}

LSTATUS DeleteScheme(const QString& keyName)
{
    if (!app::MaySaveContent() || !IsValidSchemeName(keyName))
        return ERROR_ACCESS_DENIED;
    Key root;
    LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, UserRoot(), KEY_READ | KEY_WRITE | DELETE, root.put());
    if (status == ERROR_SUCCESS)
        status = RegDeleteKey(root, keyName);
    // Gone already: the reload shows the store as it is.
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS ApplyScheme(const QString& keyName)
{
    if (!app::MaySaveContent())
        return ERROR_ACCESS_DENIED;
    Key root;
    LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, UserRoot(), KEY_READ | KEY_WRITE, root.put());
    if (status == ERROR_SUCCESS)
        status = SetString(root, QString(), keyName);
    if (status == ERROR_SUCCESS)
        platform::BroadcastMessage(platform::kSchemeChangeMessage);
    return status;
}

} // namespace scheme
