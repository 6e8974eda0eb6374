#include "quicklinks/ClientItemStore.h"

#include "app/ProcessState.h"
#include "app/Settings.h"
#include "platform/Trace.h"
#include "platform/UserRights.h"
#include "quicklinks/OrderList.h"
#include "registry/RegValues.h"
#include "registry/Transaction.h"

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

QString ReadText(HKEY key, const QString& name)
{
    QString text;
    return QueryString(key, name, kTextBufferUnits, &text) == ERROR_SUCCESS ? text : QString();
}

DWORD ReadDword(HKEY key, const QString& name)
{
    DWORD value = 0;
    return QueryDword(key, name, &value) == ERROR_SUCCESS ? value : 0;
}

// The order list as stored; nullopt when a stored value cannot be read as the list.
std::optional<QString> ReadOrderList(HKEY orderKey)
{
    DWORD type = REG_NONE;
    DWORD size = 0;
    const LSTATUS status = RegQueryValueEx(orderKey, kDefaultValue, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return QString();
    if (status != ERROR_SUCCESS || type != REG_SZ || size > 2 * kTextBufferUnits)
        return std::nullopt;
    QString list;
    if (QueryString(orderKey, kDefaultValue, kTextBufferUnits, &list) != ERROR_SUCCESS)
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
QStringList OrderValuesToDelete(HKEY order, const QList<ListEntry>& entries)
{
    QStringList stored;
    RegQueryValueNames(order, &stored);
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

// The item keys below the user-defined key that the save writes, each spelt as the first item
// that writes it spells it. A deeper item's path never matches a subkey's name: its first
// component is deleted or rebuilt as a key with subkeys.
QStringList ItemKeyNames(const QList<ListEntry>& entries, const QString& userDefinedKey)
{
    const QString prefix = userDefinedKey + QLatin1Char('\\');
    QStringList names;
    QSet<QString> folded;
    for (const ListEntry& entry : entries) {
        if (!IsUserDefined(entry.item) || !entry.item.KeyPath.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QString name = entry.item.KeyPath.mid(prefix.size());
        if (!folded.contains(name.toUpper())) {
            folded.insert(name.toUpper());
            names.append(name);
        }
    }
    return names;
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
// the store does not hold already; anything else is rebuilt.
void ClearUserDefinedKey(const QString& userDefinedKey, const QList<ListEntry>& entries, Key* userDefined)
{
    Key key;
    QString storedPath;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, userDefinedKey, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS &&
        RegGetKeyPath(key, nullptr, &storedPath) == ERROR_SUCCESS &&
        storedPath.section(QLatin1Char('\\'), -1) == userDefinedKey.section(QLatin1Char('\\'), -1)) {
        QStringList values;
        if (RegQueryValueNames(key, &values) == ERROR_SUCCESS && !values.isEmpty())
            RegDeleteValues(key, values);
        QStringList subKeys;
        QString name;
        for (DWORD index = 0; RegEnumKeyEx(key, index, &name) == ERROR_SUCCESS; ++index)
            subKeys.append(name);
        const QStringList items = ItemKeyNames(entries, userDefinedKey);
        for (const QString& subKey : subKeys) {
            if (!items.contains(subKey) || !HoldsUserItemValues(key, subKey))
                RegDeleteTree(key, subKey);
        }
        *userDefined = std::move(key);
        return;
    }
    RegDeleteTree(HKEY_CURRENT_USER, userDefinedKey);
    RegCreateKeyEx(HKEY_CURRENT_USER, userDefinedKey, KEY_ALL_ACCESS, userDefined->put());
}

// Items below the layout's user-defined key are made from an open handle of it, which spares
// the store a walk down the whole path for each of them.
void WriteUserDefinedItem(const ClientItem& item, const QString& userDefinedKey, Key* userDefined)
{
    const QString prefix = userDefinedKey + QLatin1Char('\\');
    HKEY parent = HKEY_CURRENT_USER;
    QString path = item.KeyPath;
    if (path.startsWith(prefix, Qt::CaseInsensitive)) {
        if (!*userDefined)
            RegCreateKeyEx(HKEY_CURRENT_USER, userDefinedKey, KEY_READ | KEY_WRITE, userDefined->put());
        if (*userDefined) {
            parent = *userDefined;
            path = path.mid(prefix.size());
        }
    }
    Key key;
    if (RegCreateKeyEx(parent, path, KEY_READ | KEY_WRITE, key.put()) != ERROR_SUCCESS)
        return;
    SetString(key, QStringLiteral("ExecInterface"), item.ExecInterface);
    SetString(key, QStringLiteral("MenuString"), item.MenuString);
    // The client watches this event name; a user's item has none, stored as no data at all.
    RegSetValueEx(key, QStringLiteral("EventForStatusChange"), REG_SZ, nullptr, 0);
    SetDword(key, QStringLiteral("ExecInterfaceType"), item.ExecInterfaceType);
    SetDword(key, QStringLiteral("MenuType"), 0);
    SetDword(key, QStringLiteral("Capability"), 0);
    SetDword(key, QStringLiteral("Category"), kUserDefinedCategory);
    SetDword(key, QStringLiteral("Dependency"), 0);
}

} // namespace

DWORD LayoutMode() { return settings::GetXmlControl(QStringLiteral("QuickLink")); }

ClientKeys ResolveClientKeys(DWORD layoutMode, bool managed)
{
    const bool second = layoutMode != 0 && !managed;
    ClientKeys keys;
    keys.clientPath = second ? kSecondClientPath : kClientPath;
    keys.userDefinedKey = keys.clientPath + QStringLiteral("\\UserDefined");
    if (managed)
        keys.dataKey = settings::PolicyDataKey(settings::Area::QuickLinks);
    else if (layoutMode != 0)
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
    const ClientKeys keys = ResolveClientKeys(layoutMode, settings::IsManagedMode());
    Key key;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, keys.userDefinedKey, KEY_READ | KEY_WRITE, key.put()) != ERROR_SUCCESS)
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
    Key order;
    if (RegOpenKeyEx(RootOf(keys.orderRoot), keys.orderKey, KEY_READ, order.put()) != ERROR_SUCCESS)
        return load;
    const std::optional<QString> list = ReadOrderList(order);
    if (!list) {
        load.keepStoredList = true;
        return load;
    }

    bool notShown = false;
    int taken = 0;
    for (const QString& orderId : ParseOrderList(*list)) {
        if (orderId == kNotShownMarker) {
            notShown = true;
            TRACE("PopulateItemList : -------------");
            continue;
        }
        QString keyName;
        if (QueryString(order, orderId, kTextBufferUnits, &keyName) != ERROR_SUCCESS)
            continue;
        const QString keyPath = keys.clientPath + QLatin1Char('\\') + keyName;
        Key itemKey;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, KEY_READ, itemKey.put()) != ERROR_SUCCESS)
            continue;

        if (++taken > maxQuickLinks)
            notShown = true;
        ListEntry entry;
        entry.item.MenuString = ReadText(itemKey, QStringLiteral("MenuString"));
        entry.item.ExecInterface = ReadText(itemKey, QStringLiteral("ExecInterface"));
        entry.item.KeyPath = CutItemText(keyPath);
        entry.item.KeyName = keyName;
        entry.item.OrderId = orderId;
        entry.item.Category = ReadDword(itemKey, QStringLiteral("Category"));
        entry.item.ExecInterfaceType = ReadDword(itemKey, QStringLiteral("ExecInterfaceType"));
        if (notShown) {
            entry.state = ui::kUnchecked;
        } else {
            ++load.checked;
            entry.state = layoutMode == 0 || IsUserDefined(entry.item) ? ui::kChecked : ui::kFixedChecked;
        }
        load.maxOrderId = std::max(load.maxOrderId, LeadingNumber(orderId));
        TRACE("PopulateItemList : %s : %s %s", qUtf8Printable(orderId),
              qUtf8Printable(entry.item.MenuString), notShown ? "Not shown" : "");
        load.entries.append(entry);
    }
    load.keepStoredList = load.entries.size() > kMaxOrderedItems;
    return load;
}

void SaveItemList(const QList<ListEntry>& entries)
{
    const bool managed = settings::IsManagedMode();
    const ClientKeys keys = ResolveClientKeys(LayoutMode(), managed);
    const HKEY root = RootOf(keys.orderRoot);
    // Everything the save can write is the user's: in managed mode the order data belongs to the
    // policy root, which the save opens for reading only.
    Transaction transaction(Root::CurrentUser);

    // Outside managed mode the order key is the user's, opened for writing: the same handle
    // clears the stale ids and writes the new ones.
    const REGSAM access = managed ? KEY_READ : KEY_READ | KEY_WRITE;
    Key order;
    const bool orderOpen = RegOpenKeyEx(root, keys.orderKey, access, order.put()) == ERROR_SUCCESS;
    Key userDefined;
    if (!managed && !platform::IsElevated()) {
        ClearUserDefinedKey(keys.userDefinedKey, entries, &userDefined);
        if (orderOpen)
            RegDeleteValues(order, OrderValuesToDelete(order, entries));
    }

    QStringList shown;
    QStringList hidden;
    for (const ListEntry& entry : entries) {
        (entry.state == ui::kUnchecked ? hidden : shown).append(entry.item.OrderId);
        if (orderOpen) {
            SetString(order, entry.item.OrderId, entry.item.KeyName);
            SetString(order, QLatin1Char('C') + entry.item.OrderId, CategoryCode(entry.item.Category));
        }
        if (IsUserDefined(entry.item))
            WriteUserDefinedItem(entry.item, keys.userDefinedKey, &userDefined);
    }
    if (orderOpen)
        SetString(order, kDefaultValue, FormatOrderList(shown, hidden));

    Key data;
    if (RegOpenKeyEx(root, keys.dataKey, access, data.put()) == ERROR_SUCCESS)
        SetDword(data, QStringLiteral("Customized"), 1);
    order.reset();
    data.reset();
    transaction.commit();
    app::SetSettingsWritten(1);
}

} // namespace ql
