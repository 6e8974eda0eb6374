#include "quicklinks/ClientItemStore.h"

#include "platform/UserRights.h"
#include "clientitems/OrderList.h"
#include "registry/RegValues.h"
#include "settings/Settings.h"
#include "trace/Trace.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QSet>

namespace ql {

using namespace reg;

namespace {

const QString kClientPath = QStringLiteral("Software\\Orvane\\TALVEN\\Client");
const QString kSecondClientPath = QStringLiteral("Software\\Orvane\\TALVEN\\Client.2");
const QString kResourceCenterKey = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\ResourceCenter");
const QString kDefaultValue;

constexpr DWORD kUserDefinedCategory = 9;
// "0000" to "9999".
constexpr int kOrderIds = 10000;

HKEY RootOf(Root root) { return root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The order list as stored, empty when there is none; nullopt when a stored list cannot be read
// (too long, an error of the store) or holds no text at all: saving in its place would wipe it.
std::optional<QString> ReadOrderList(HKEY orderKey)
{
    QString list;
    const LSTATUS status = QueryString(orderKey, kDefaultValue, kTextBufferUnits, &list);
    if (status == ERROR_FILE_NOT_FOUND)
        return QString();
    if (status != ERROR_SUCCESS || list.isEmpty())
        return std::nullopt;
    return list;
}

// An order-id value: "0000" to "9999" or "C0000" to "C9999", names compared without case.
bool IsOrderValueName(QStringView name)
{
    if (name.size() == 5 && (name.front() == u'C' || name.front() == u'c'))
        name = name.mid(1);
    return name.size() == 4 && std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The order-id values to delete before the save writes its own: every one the key holds, which
// has the effect of deleting all 20,000 possible names. None when they already stand after every
// other value exactly as the save writes them: rewriting them in place then leaves the same key,
// and an unchanged list gives the store nothing new to write.
QStringList OrderValuesToDelete(const QStringList& stored, const QList<ListEntry>& entries)
{
    QStringList ids = stored;
    ids.removeIf([](const QString& name) { return !IsOrderValueName(name); });
    const bool idsLast = std::all_of(stored.cbegin() + (stored.size() - ids.size()), stored.cend(),
                                     [](const QString& name) { return IsOrderValueName(name); });
    if (!idsLast)
        return ids;

    // The save writes each id and its "C" value once, in list order; a repeated id rewrites them
    // in place.
    std::vector<bool> written(kOrderIds);
    qsizetype next = 0;
    for (const ListEntry& entry : entries) {
        const QString& id = entry.item.OrderId;
        if (id.size() != 4 || !IsOrderValueName(id))
            return ids;
        if (written[id.toInt()])
            continue;
        written[id.toInt()] = true;
        if (next + 1 >= ids.size() || ids.at(next) != id || ids.at(next + 1).front() != u'C' ||
            QStringView(ids.at(next + 1)).mid(1) != id)
            return ids;
        next += 2;
    }
    return next == ids.size() ? QStringList() : ids;
}

QString CategoryCode(DWORD category)
{
    return category == kUserDefinedCategory ? QStringLiteral("FFFF") : FourDigits(int(category));
}

// The values of a user's item key, in the order the save writes them.
const QStringList kUserItemValues = {
    QStringLiteral("ExecInterface"), QStringLiteral("MenuString"), QStringLiteral("EventForStatusChange"),
    QStringLiteral("ExecInterfaceType"), QStringLiteral("MenuType"), QStringLiteral("Capability"),
    QStringLiteral("Category"), QStringLiteral("Dependency")};

// The name of the user-defined key's subkey that holds a key path, "" when the path is not below it.
QString SubKeyOf(const QString& path, const QString& userDefinedKey)
{
    const QString prefix = userDefinedKey + QLatin1Char('\\');
    return path.startsWith(prefix, Qt::CaseInsensitive) ? path.mid(prefix.size()) : QString();
}

// The item keys below the user-defined key that the save writes, each spelt as the first item
// that writes it spells it. A deeper item's path never matches a subkey's name: its first
// component is deleted or rebuilt as a key with subkeys.
QStringList ItemKeyNames(const QList<ListEntry>& entries, const QString& userDefinedKey)
{
    QStringList names;
    QSet<QString> folded;
    for (const ListEntry& entry : entries) {
        const QString name = SubKeyOf(entry.item.KeyPath, userDefinedKey);
        if (entry.keepStored || !IsUserDefined(entry.item) || name.isEmpty())
            continue;
        if (!folded.contains(name.toUpper())) {
            folded.insert(name.toUpper());
            names.append(name);
        }
    }
    return names;
}

// The subkeys of the user-defined key that hold an item the save leaves as stored, upper-cased.
// Their path comes from the order data, which was read whole where the item's path was cut.
QSet<QString> KeptSubKeys(const QList<ListEntry>& entries, const QString& clientPath, const QString& userDefinedKey)
{
    QSet<QString> kept;
    for (const ListEntry& entry : entries) {
        const QString name = SubKeyOf(clientPath + QLatin1Char('\\') + entry.item.KeyName, userDefinedKey);
        if (entry.keepStored && !name.isEmpty())
            kept.insert(name.section(QLatin1Char('\\'), 0, 0).toUpper());
    }
    return kept;
}

// Whether an item key holds exactly the values the save writes, in that order, and nothing else.
bool HoldsUserItemValues(HKEY parent, const QString& name)
{
    Key key;
    DWORD subKeys = 0;
    QStringList values;
    return RegOpenKeyEx(parent, name, KEY_READ, key.put()) == ERROR_SUCCESS &&
           RegQueryInfoKey(key, &subKeys, nullptr) == ERROR_SUCCESS && subKeys == 0 &&
           RegQueryValueNames(key, &values) == ERROR_SUCCESS && values == kUserItemValues;
}

// Leaves the user-defined key as deleting and remaking its tree would before the items are
// written: no values, and only the item keys the save writes, each empty or holding the very
// values it gets. Keys already like that stay, so that saving an unchanged list writes no data
// the store does not hold already; anything else is rebuilt, except the keys of items left as
// stored.
void ClearUserDefinedKey(const ClientKeys& keys, const QList<ListEntry>& entries, app::PageSave& save,
                         Key* userDefined)
{
    const QSet<QString> kept = KeptSubKeys(entries, keys.clientPath, keys.userDefinedKey);
    Key key;
    QString storedPath;
    const LSTATUS opened = RegOpenKeyEx(HKEY_CURRENT_USER, keys.userDefinedKey, KEY_ALL_ACCESS, key.put());
    if (opened == ERROR_SUCCESS && RegGetKeyPath(key, nullptr, &storedPath) == ERROR_SUCCESS &&
        (!kept.isEmpty() ||
         storedPath.section(QLatin1Char('\\'), -1) == keys.userDefinedKey.section(QLatin1Char('\\'), -1))) {
        QStringList values;
        if (save.Run(Root::CurrentUser, [&] { return RegQueryValueNames(key, &values); }) && !values.isEmpty())
            save.Run(Root::CurrentUser, [&] { return RegDeleteValues(key, values); });
        QStringList subKeys;
        QString name;
        LSTATUS status = ERROR_SUCCESS;
        for (DWORD index = 0; (status = RegEnumKeyEx(key, index, &name)) == ERROR_SUCCESS; ++index)
            subKeys.append(name);
        save.Run(Root::CurrentUser, [&] { return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status; });
        const QStringList items = ItemKeyNames(entries, keys.userDefinedKey);
        for (const QString& subKey : subKeys) {
            if (!kept.contains(subKey.toUpper()) && (!items.contains(subKey) || !HoldsUserItemValues(key, subKey)))
                save.Run(Root::CurrentUser, [&] { return RegDeleteTree(key, subKey); });
        }
        *userDefined = std::move(key);
        return;
    }
    save.Run(Root::CurrentUser, [&] {
        const LSTATUS status = RegDeleteTree(HKEY_CURRENT_USER, keys.userDefinedKey);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    });
    save.Run(Root::CurrentUser, [&] {
        return RegCreateKeyEx(HKEY_CURRENT_USER, keys.userDefinedKey, KEY_ALL_ACCESS, userDefined->put());
    });
}

// Items below the layout's user-defined key are made from an open handle of it, which spares
// the store a walk down the whole path for each of them.
void WriteUserDefinedItem(const ClientItem& item, const QString& userDefinedKey, app::PageSave& save,
                          Key* userDefined)
{
    HKEY parent = HKEY_CURRENT_USER;
    QString path = item.KeyPath;
    const QString name = SubKeyOf(path, userDefinedKey);
    if (!name.isEmpty()) {
        if (!*userDefined)
            save.Run(Root::CurrentUser, [&] {
                return RegCreateKeyEx(HKEY_CURRENT_USER, userDefinedKey, KEY_READ | KEY_WRITE, userDefined->put());
            });
        if (*userDefined) {
            parent = *userDefined;
            path = name;
        }
    }
    Key key;
    if (!save.Run(Root::CurrentUser, [&] { return RegCreateKeyEx(parent, path, KEY_READ | KEY_WRITE, key.put()); }))
        return;
    const auto run = [&](auto write) { save.Run(Root::CurrentUser, write); };
    run([&] { return SetString(key, QStringLiteral("ExecInterface"), item.ExecInterface); });
    run([&] { return SetString(key, QStringLiteral("MenuString"), item.MenuString); });
    // The client watches this event name; a user's item has none, stored as no data at all.
    run([&] { return RegSetValueEx(key, QStringLiteral("EventForStatusChange"), REG_SZ, nullptr, 0); });
    run([&] { return SetDword(key, QStringLiteral("ExecInterfaceType"), item.ExecInterfaceType); });
    run([&] { return SetDword(key, QStringLiteral("MenuType"), 0); });
    run([&] { return SetDword(key, QStringLiteral("Capability"), 0); });
    run([&] { return SetDword(key, QStringLiteral("Category"), kUserDefinedCategory); });
    run([&] { return SetDword(key, QStringLiteral("Dependency"), 0); });
}

// Opens a key the save writes but never creates; a missing key is no failure, it is just not written.
bool OpenForSave(HKEY root, const QString& path, app::PageSave& save, Key* key)
{
    const LSTATUS status = RegOpenKeyEx(root, path, KEY_READ | KEY_WRITE, key->put());
    save.Run(Root::CurrentUser, [status] { return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status; });
    return status == ERROR_SUCCESS && !save.Failed();
}

} // namespace

DWORD LayoutMode() { return settings::GetXmlControl(QStringLiteral("QuickLink")); }

bool LayoutIsWritten(DWORD layoutMode) { return layoutMode == kFirstLayout || layoutMode == kSecondLayout; }

ClientKeys ResolveClientKeys(DWORD layoutMode, bool managed)
{
    const bool second = layoutMode != kFirstLayout && !managed;
    ClientKeys keys;
    keys.clientPath = second ? kSecondClientPath : kClientPath;
    keys.userDefinedKey = keys.clientPath + QStringLiteral("\\UserDefined");
    if (managed)
        keys.dataKey = settings::PolicyDataKey(settings::Area::QuickLinks);
    else if (layoutMode != kFirstLayout)
        keys.dataKey = settings::SecondLayoutDataKey(settings::Area::QuickLinks);
    else
        keys.dataKey = settings::UserDataKey(settings::Area::QuickLinks);
    keys.orderKey = keys.dataKey + QStringLiteral("\\Order");
    keys.orderRoot = managed ? Root::LocalMachine : Root::CurrentUser;
    return keys;
}

ClientKeys CurrentClientKeys() { return ResolveClientKeys(LayoutMode(), settings::IsManagedMode()); }

int MaxQuickLinks()
{
    const DWORD resourceCenter = settings::GetXmlControl(QStringLiteral("ResourceCenter"));
    if (resourceCenter == 1)
        return 15;
    const QString key = resourceCenter == 0 ? kResourceCenterKey : kResourceCenterKey + QStringLiteral(".2");
    return settings::GetHideGroup(key) != 0 ? 15 : 7;
}

int GetMaxUserDefinedNumber(DWORD layoutMode)
{
    // The layout's own key, also in managed mode: New numbers from it.
    const ClientKeys keys = ResolveClientKeys(layoutMode, false);
    Key key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, keys.userDefinedKey, KEY_READ, key.put()) != ERROR_SUCCESS)
        return 0;
    int highest = 0;
    QString name;
    for (DWORD index = 0; RegEnumKeyEx(key, index, &name) == ERROR_SUCCESS; ++index)
        highest = std::max(highest, LeadingNumber(name.left(kTextBufferUnits - 1)));
    return highest;
}

ItemListLoad LoadItemList(int maxQuickLinks)
{
    ItemListLoad load;
    const DWORD layoutMode = LayoutMode();
    const ClientKeys keys = ResolveClientKeys(layoutMode, settings::IsManagedMode());
    // Whatever cannot be read is kept as stored: the list is then shown read-only and not saved.
    const auto keep = [&load](StoredList why) {
        load = ItemListLoad();
        load.stored = why;
        return load;
    };
    Key order;
    const LSTATUS opened = RegOpenKeyEx(RootOf(keys.orderRoot), keys.orderKey, KEY_READ, order.put());
    if (opened == ERROR_FILE_NOT_FOUND)
        return keep(StoredList::NoOrderKey);
    const std::optional<QString> list = opened == ERROR_SUCCESS ? ReadOrderList(order) : std::nullopt;
    if (!list)
        return keep(StoredList::Unreadable);

    bool notShown = false;
    int taken = 0;
    for (const QString& orderId : ParseOrderList(*list)) {
        if (orderId == kNotShownMarker) {
            notShown = true;
            TRACE("PopulateItemList : -------------");
            continue;
        }
        QString keyName;
        LSTATUS status = QueryString(order, orderId, kTextBufferUnits, &keyName);
        const QString keyPath = keys.clientPath + QLatin1Char('\\') + keyName;
        Key itemKey;
        if (status == ERROR_SUCCESS)
            status = RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, KEY_READ, itemKey.put());
        if (status == ERROR_FILE_NOT_FOUND)
            continue;
        if (status != ERROR_SUCCESS)
            return keep(StoredList::Unreadable);

        if (++taken > maxQuickLinks)
            notShown = true;
        ListEntry entry;
        bool readable = true;
        entry.item.MenuString = ReadRecordText(itemKey, QStringLiteral("MenuString"), kTextBufferUnits, &readable);
        entry.item.ExecInterface = ReadRecordText(itemKey, QStringLiteral("ExecInterface"), kTextBufferUnits, &readable);
        entry.item.KeyPath = CutItemText(keyPath);
        entry.item.KeyName = keyName;
        entry.item.OrderId = orderId;
        entry.item.Category = ReadRecordDword(itemKey, QStringLiteral("Category"), &readable);
        entry.item.ExecInterfaceType = ReadRecordDword(itemKey, QStringLiteral("ExecInterfaceType"), &readable);
        entry.keepStored = !readable || entry.item.KeyPath != keyPath;
        if (notShown) {
            entry.state = ui::kUnchecked;
        } else {
            ++load.checked;
            entry.state = layoutMode == kFirstLayout || IsUserDefined(entry.item) ? ui::kChecked : ui::kFixedChecked;
        }
        load.maxOrderId = std::max(load.maxOrderId, LeadingNumber(orderId));
        TRACE("PopulateItemList : %s : %s %s", qUtf8Printable(orderId),
              qUtf8Printable(entry.item.MenuString), notShown ? "Not shown" : "");
        load.entries.append(entry);
    }
    if (load.entries.size() > kMaxOrderedItems)
        load.stored = StoredList::TooLong;
    return load;
}

void WriteItemList(const QList<ListEntry>& entries, app::PageSave& save)
{
    const bool managed = settings::IsManagedMode();
    const ClientKeys keys = ResolveClientKeys(LayoutMode(), managed);
    // Everything the save can write is the user's: in managed mode the order data belongs to the
    // policy root, which the save leaves alone.
    if (!save.Begin(Root::CurrentUser))
        return;
    save.SetsSettingsWritten();

    Key order;
    const bool orderOpen = !managed && OpenForSave(HKEY_CURRENT_USER, keys.orderKey, save, &order);
    Key userDefined;
    if (!managed && !platform::IsElevated()) {
        ClearUserDefinedKey(keys, entries, save, &userDefined);
        if (orderOpen) {
            QStringList stored;
            if (save.Run(Root::CurrentUser, [&] { return RegQueryValueNames(order, &stored); }))
                save.Run(Root::CurrentUser, [&] { return RegDeleteValues(order, OrderValuesToDelete(stored, entries)); });
        }
    }

    QStringList shown;
    QStringList hidden;
    for (const ListEntry& entry : entries) {
        const ClientItem& item = entry.item;
        (entry.state == ui::kUnchecked ? hidden : shown).append(item.OrderId);
        if (orderOpen) {
            save.Run(Root::CurrentUser, [&] { return SetString(order, item.OrderId, item.KeyName); });
            save.Run(Root::CurrentUser, [&] { return SetString(order, QLatin1Char('C') + item.OrderId, CategoryCode(item.Category)); });
        }
        if (IsUserDefined(item) && !entry.keepStored)
            WriteUserDefinedItem(item, keys.userDefinedKey, save, &userDefined);
    }
    if (orderOpen)
        save.Run(Root::CurrentUser, [&] { return SetString(order, kDefaultValue, FormatOrderList(shown, hidden)); });

    Key data;
    if (!managed && OpenForSave(HKEY_CURRENT_USER, keys.dataKey, save, &data))
        save.Run(Root::CurrentUser, [&] { return SetDword(data, QStringLiteral("Customized"), 1); });
}

app::SaveResult SaveItemList(const QList<ListEntry>& entries)
{
    app::PageSave save;
    WriteItemList(entries, save);
    return save.Commit();
}

} // namespace ql
