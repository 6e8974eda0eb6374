#include "quicklinks/QuickLinkModel.h"

#include "platform/UserRights.h"
#include "clientitems/OrderList.h"
#include "settings/Settings.h"
#include "settings/StringTable.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kEditedExecInterfaceType = 4;
// Ids are four digits and 9999 is the marker.
constexpr int kHighestOrderId = 9998;
constexpr int kHighestUserNumber = 9999;

} // namespace

QuickLinkModel::QuickLinkModel(int maxQuickLinks, int maxUserDefined, QObject* parent)
    : QAbstractTableModel(parent), m_nMaxQuickLinks(maxQuickLinks), m_nMaxUserDefined(maxUserDefined)
{
}

int QuickLinkModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int QuickLinkModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant QuickLinkModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const ql::ListEntry& row = m_rows.at(index.row());
    if (index.column() == 1)
        return role == Qt::DisplayRole || role == Qt::ToolTipRole ? QVariant(row.item.MenuString) : QVariant();
    switch (role) {
    case ui::StateImageRole:
        return int(row.state);
    case Qt::AccessibleDescriptionRole:
        return row.state == ui::kFixedChecked ? res::LoadResString(res::IDS_QUICKLINK_FIXED) : QString();
    default:
        return {};
    }
}

QVariant QuickLinkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 1 ? res::LoadResString(res::IDS_ITEM) : QString();
}

Qt::ItemFlags QuickLinkModel::flags(const QModelIndex& index) const
{
    return checkIndex(index, CheckIndexOption::IndexIsValid) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool QuickLinkModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() != 0 || role != ui::StateImageRole)
        return false;
    const auto requested = ui::StateImage(value.toInt());
    if (requested == m_rows.at(index.row()).state)
        return true;
    // A row is only ever asked to turn checked or unchecked: a fixed check is the load's.
    if ((requested != ui::kChecked && requested != ui::kUnchecked) || !OnItemChanging(index.row(), requested))
        return false;
    SetState(index.row(), requested);
    return true;
}

void QuickLinkModel::SetState(int row, ui::StateImage state)
{
    m_rows[row].state = state;
    const QModelIndex changed = index(row, 0);
    Q_EMIT dataChanged(changed, changed, {ui::StateImageRole, Qt::AccessibleDescriptionRole});
    Q_EMIT itemChanged(row);
}

bool QuickLinkModel::OnItemChanging(int row, ui::StateImage requested)
{
    if (!IsReady())
        return true;
    // The second layout's built-in items stay as the client placed them.
    if (!ql::IsUserDefined(Item(row)) && ql::LayoutMode() != ql::kFirstLayout)
        return false;
    if (requested == ui::kChecked) {
        if (m_nChecked >= m_nMaxQuickLinks) {
            Q_EMIT maximumReached(m_nMaxQuickLinks);
            return false;
        }
        ++m_nChecked;
        return true;
    }
    // At least one Quick Link stays.
    if (m_nChecked <= 1)
        return false;
    --m_nChecked;
    return true;
}

bool QuickLinkModel::MayEditUserItems() const
{
    return !settings::IsManagedMode() && !platform::IsElevated() && ql::LayoutMode() != ql::kSecondLayoutReadOnly;
}

// A row left as stored is never edited; deleting would renumber the user's items above it.
bool QuickLinkModel::MayDelete(int row, const QString& userDefinedKey) const
{
    const int number = UserDefinedNumber(Item(row), userDefinedKey);
    return std::none_of(m_rows.cbegin(), m_rows.cend(), [&](const ql::ListEntry& entry) {
        return entry.keepStored
            && (&entry == &m_rows.at(row)
                || (ql::IsUserDefined(entry.item) && UserDefinedNumber(entry.item, userDefinedKey) > number));
    });
}

QuickLinkModel::Buttons QuickLinkModel::LoadButtons(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const bool enable = ql::IsUserDefined(Item(row)) && MayEditUserItems() && m_nChecked >= 2;
    return {enable && !m_rows.at(row).keepStored, enable && MayDelete(row, ql::CurrentClientKeys().userDefinedKey)};
}

QuickLinkModel::Buttons QuickLinkModel::ItemChangedButtons(int row) const
{
    if (row < 0 || row >= m_rows.size() || !ql::IsUserDefined(Item(row)) || !MayEditUserItems())
        return {};
    return {!m_rows.at(row).keepStored, (State(row) == ui::kUnchecked || m_nChecked >= 2)
                                            && MayDelete(row, ql::CurrentClientKeys().userDefinedKey)};
}

void QuickLinkModel::PopulateItemList()
{
    FreeItemList();
    ql::ItemListLoad load = ql::LoadItemList(m_nMaxQuickLinks);
    m_storedList = load.stored;
    if (!load.entries.isEmpty()) {
        beginInsertRows({}, 0, int(load.entries.size()) - 1);
        m_rows = std::move(load.entries);
        m_nChecked = load.checked;
        m_nMaxOrderId = std::max(m_nMaxOrderId, load.maxOrderId);
        endInsertRows();
    }
    m_bReady = true;
}

void QuickLinkModel::FreeItemList()
{
    m_nChecked = 0;
    m_bReady = false;
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void QuickLinkModel::WriteItemList(app::PageSave& save) const
{
    if (!KeepsStoredList())
        ql::WriteItemList(m_rows, save);
}

bool QuickLinkModel::MoveRow(int from, int to)
{
    if (from < 0 || from >= m_rows.size() || to < 0 || to >= m_rows.size() || from == to)
        return false;
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_rows.move(from, to);
    endMoveRows();
    return true;
}

int QuickLinkModel::AddItem(const ClientItem& edited)
{
    ql::ListEntry entry;
    entry.item = edited;
    if (m_nChecked < m_nMaxQuickLinks) {
        entry.state = ui::kChecked;
        ++m_nChecked;
    }
    const ql::ClientKeys keys = ql::CurrentClientKeys();
    entry.item.KeyName = QStringLiteral("UserDefined\\") + ql::FourDigits(++m_nMaxUserDefined);
    entry.item.KeyPath = keys.clientPath + QLatin1Char('\\') + entry.item.KeyName;
    entry.item.OrderId = ql::FourDigits(++m_nMaxOrderId);
    entry.item.ExecInterfaceType = kEditedExecInterfaceType;
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(entry);
    endInsertRows();
    return row;
}

void QuickLinkModel::ReplaceItem(int row, const ClientItem& edited)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].item = edited;
    m_rows[row].item.ExecInterfaceType = kEditedExecInterfaceType;
    Q_EMIT dataChanged(index(row, 1), index(row, 1), {Qt::DisplayRole, Qt::ToolTipRole});
}

int QuickLinkModel::UserDefinedNumber(const ClientItem& item, const QString& userDefinedKey) const
{
    return ql::LeadingNumber(item.KeyPath.mid(userDefinedKey.size() + 1));
}

bool QuickLinkModel::DeleteItem(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    const QString userDefinedKey = ql::CurrentClientKeys().userDefinedKey;
    if (!MayDelete(row, userDefinedKey))
        return false;
    const int number = UserDefinedNumber(Item(row), userDefinedKey);
    const int orderId = ql::LeadingNumber(Item(row).OrderId);
    if (State(row) == ui::kChecked) {
        if (m_nChecked <= 1)
            return false;
        --m_nChecked;
    }
    --m_nMaxUserDefined;
    --m_nMaxOrderId;
    for (ql::ListEntry& entry : m_rows) {
        ClientItem& item = entry.item;
        if (ql::IsUserDefined(item)) {
            const int other = UserDefinedNumber(item, userDefinedKey);
            if (other > number) {
                item.KeyName = QStringLiteral("UserDefined\\") + ql::FourDigits(other - 1);
                item.KeyPath = userDefinedKey + QLatin1Char('\\') + ql::FourDigits(other - 1);
            }
        }
        const int id = ql::LeadingNumber(item.OrderId);
        if (id > orderId)
            item.OrderId = ql::FourDigits(id - 1);
    }
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    return true;
}

bool QuickLinkModel::CanAddItem() const
{
    return m_rows.size() < ql::kMaxOrderedItems && m_nMaxOrderId < kHighestOrderId
        && m_nMaxUserDefined < kHighestUserNumber;
}
