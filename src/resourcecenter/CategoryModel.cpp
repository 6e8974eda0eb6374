#include "resourcecenter/CategoryModel.h"

#include "settings/StringTable.h"

#include <algorithm>

int CategoryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int CategoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant CategoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const rc::CategoryRow& row = m_rows.at(index.row());
    if (index.column() == 1)
        return role == Qt::DisplayRole || role == Qt::ToolTipRole ? QVariant(row.label) : QVariant();
    return role == ui::StateImageRole ? QVariant(int(row.state)) : QVariant();
}

QVariant CategoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 1 ? res::LoadResString(res::IDS_ITEM) : QString();
}

Qt::ItemFlags CategoryModel::flags(const QModelIndex& index) const
{
    return checkIndex(index, CheckIndexOption::IndexIsValid) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool CategoryModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() != 0 || role != ui::StateImageRole)
        return false;
    const auto requested = ui::StateImage(value.toInt());
    if (requested != ui::kChecked && requested != ui::kUnchecked)
        return false;
    rc::CategoryRow& row = m_rows[index.row()];
    if (requested == row.state)
        return true;
    // The Resource Center keeps at least one category.
    if (IsReady() && requested == ui::kUnchecked && CheckedCount() < 2)
        return false;
    row.state = requested;
    Q_EMIT dataChanged(index, index, {ui::StateImageRole});
    return true;
}

int CategoryModel::CheckedCount() const
{
    return int(std::count_if(m_rows.cbegin(), m_rows.cend(), [](const rc::CategoryRow& row) { return row.state == ui::kChecked; }));
}

void CategoryModel::SetRows(QList<rc::CategoryRow> rows)
{
    if (rows.isEmpty())
        return;
    beginInsertRows({}, 0, int(rows.size()) - 1);
    m_rows = std::move(rows);
    endInsertRows();
}

void CategoryModel::PopulateItemList(rc::Mode mode)
{
    FreeItemList();
    switch (mode) {
    case rc::Mode::Nls:
        SetRows(rc::NlsCategories());
        return;
    case rc::Mode::XmlControl:
        SetRows(rc::LoadXmlLabels());
        break;
    case rc::Mode::Order: {
        rc::CategoryLoad load = rc::LoadOrderList();
        m_storedList = load.stored;
        SetRows(std::move(load.rows));
        FixCategoryOrder();
        break;
    }
    }
    m_bReady = true;
}

void CategoryModel::FreeItemList()
{
    m_bReady = false;
    m_storedList = ql::StoredList::Editable;
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int CategoryModel::LastRowWithCode(const QString& orderId) const
{
    for (qsizetype row = m_rows.size() - 1; row >= 0; --row) {
        if (m_rows.at(row).record.OrderId == orderId)
            return int(row);
    }
    return -1;
}

void CategoryModel::FixCategoryOrder()
{
    const int help = LastRowWithCode(QStringLiteral("0007"));
    const int multimedia = LastRowWithCode(QStringLiteral("0008"));
    if (help >= 0 && multimedia >= 0 && help < multimedia) {
        // Records, labels and check states change places together.
        m_rows.swapItemsAt(help, multimedia);
        m_rows[help].label = rc::CategoryLabel(res::IDS_CATEGORY_MULTIMEDIA);
        m_rows[multimedia].label = rc::CategoryLabel(res::IDS_CATEGORY_HELP);
        Q_EMIT dataChanged(index(help, 0), index(multimedia, 1));
    }
}

void CategoryModel::WriteItemList(app::PageSave& save)
{
    if (KeepsStoredList())
        return;
    FixCategoryOrder();
    rc::WriteOrderList(m_rows, save);
}
