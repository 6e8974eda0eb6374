#include "messagecenter/FeedListModel.h"

#include "settings/StringTable.h"

#include <QSet>

FeedListModel::FeedListModel(QObject* parent) : QAbstractTableModel(parent) {}

bool FeedListModel::HoldsRow(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < m_rows.size() && index.column() < 2;
}

int FeedListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int FeedListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant FeedListModel::data(const QModelIndex& index, int role) const
{
    if (!HoldsRow(index))
        return {};
    const mc::FeedEntry& row = m_rows.at(index.row());
    if (index.column() == 1) {
        if (role == Qt::DisplayRole)
            return row.feed.name;
        if (role == Qt::ToolTipRole)
            return row.feed.xmlUrl;
        return {};
    }
    switch (role) {
    case ui::StateImageRole:
        return int(row.feed.Enable != 0 ? ui::kChecked : ui::kUnchecked);
    case Qt::AccessibleDescriptionRole:
        return row.keepStored ? res::LoadResString(res::messagecenter::IDS_FEED_KEPT) : QString();
    default:
        return {};
    }
}

QVariant FeedListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 1 ? res::LoadResString(res::IDS_ITEM) : QString();
}

Qt::ItemFlags FeedListModel::flags(const QModelIndex& index) const
{
    return HoldsRow(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool FeedListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!HoldsRow(index) || index.column() != 0 || role != ui::StateImageRole)
        return false;
    const int requested = value.toInt();
    mc::FeedEntry& row = m_rows[index.row()];
    if (row.keepStored || !m_complete || (requested != ui::kChecked && requested != ui::kUnchecked))
        return false;
    row.feed.Enable = requested == ui::kChecked ? 1 : 0;
    Q_EMIT dataChanged(index, index, {ui::StateImageRole});
    return true;
}

void FeedListModel::LoadFeedList(reg::HKEY root, const QString& keyPath)
{
    mc::FeedListLoad load = mc::LoadFeedList(root, keyPath);
    beginResetModel();
    m_rows = std::move(load.entries);
    m_complete = load.complete;
    endResetModel();
}

void FeedListModel::TakeMerged(QList<mc::FeedEntry> merged)
{
    QSet<QString> kept, read;
    for (const mc::FeedEntry& row : std::as_const(m_rows)) {
        if (row.keepStored)
            kept.insert(row.feed.name.toUpper());
    }
    merged.removeIf([&](const mc::FeedEntry& entry) { return entry.keepStored || kept.contains(entry.feed.name.toUpper()); });
    for (const mc::FeedEntry& entry : std::as_const(merged))
        read.insert(entry.feed.name.toUpper());
    const qsizetype sorted = merged.size();
    for (const mc::FeedEntry& row : std::as_const(m_rows)) {
        if (row.keepStored || !read.contains(row.feed.name.toUpper()))
            merged.append(row);
    }
    if (merged.size() > sorted)
        mc::SortFeeds(merged);
    beginResetModel();
    m_rows = std::move(merged);
    endResetModel();
}

void FeedListModel::FreeFeedItems()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int FeedListModel::FindName(const QString& name, int exceptRow) const
{
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        if (row != exceptRow && m_rows.at(row).feed.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(row);
    }
    return -1;
}

int FeedListModel::AddFeedItem(const RssFeed& feed)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append({feed, false});
    m_rows.last().feed.Enable = 1;
    endInsertRows();
    return Sort(row);
}

int FeedListModel::ReplaceFeed(int row, const RssFeed& feed)
{
    const reg::DWORD tick = m_rows.at(row).feed.Enable;
    m_rows[row].feed = feed;
    m_rows[row].feed.Enable = tick;
    Q_EMIT dataChanged(index(row, 0), index(row, 1));
    return Sort(row);
}

int FeedListModel::DeleteFeed(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    if (m_rows.isEmpty())
        return -1;
    return row == 0 ? 0 : row - 1;
}

int FeedListModel::Sort(qsizetype followedRow)
{
    // Sorting moves rows: the layout change keeps views' selections with their feeds.
    Q_EMIT layoutAboutToBeChanged();
    const QList<qsizetype> order = mc::SortedOrder(m_rows);
    QList<int> newRow(m_rows.size());
    QList<mc::FeedEntry> sorted;
    sorted.reserve(m_rows.size());
    for (const qsizetype from : order) {
        newRow[from] = int(sorted.size());
        sorted.append(std::move(m_rows[from]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after.append(this->index(newRow[index.row()], index.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
    return newRow[followedRow];
}
