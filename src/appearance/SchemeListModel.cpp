#include "appearance/SchemeListModel.h"

#include "appearance/SchemeStore.h"
#include "settings/StringTable.h"

#include <algorithm>

namespace {

QString MarkedText(const QString& displayName)
{
    return QStringLiteral("%1  %2").arg(displayName, res::LoadResString(res::IDS_SCHEME_USING));
}

bool TextLess(const QString& left, const QString& right) { return left.compare(right, Qt::CaseInsensitive) < 0; }

} // namespace

int SchemeListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_items.size()); }

QVariant SchemeListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return Text(index.row());
    if (role == Qt::ToolTipRole && m_items.at(index.row()).Unreadable)
        return res::LoadResString(res::appearance::IDS_SCHEME_UNREADABLE);
    return {};
}

QString SchemeListModel::Text(int row) const
{
    const QString& name = m_items.at(row).DisplayName;
    return row == m_usingRow ? MarkedText(name) : name;
}

void SchemeListModel::LoadSchemeList(const QString& installPath)
{
    const scheme::SchemeList stored = scheme::LoadSchemes(installPath);
    beginResetModel();
    m_items.clear();
    m_usingRow = -1;
    m_szCurrentScheme = stored.current;
    m_unreadable = stored.unreadable;
    // Each entry goes after those whose text sorts equal to its own, as a sorted list box adds it.
    QStringList texts;
    for (const SchemeItem& item : stored.items) {
        const bool inUse = item.KeyName == m_szCurrentScheme;
        const QString text = inUse ? MarkedText(item.DisplayName) : item.DisplayName;
        const auto row = std::upper_bound(texts.cbegin(), texts.cend(), text, TextLess) - texts.cbegin();
        texts.insert(row, text);
        m_items.insert(row, item);
        if (m_usingRow >= row)
            ++m_usingRow;
        if (inUse)
            m_usingRow = int(row);
    }
    endResetModel();
}

void SchemeListModel::FreeSchemeList()
{
    beginResetModel();
    m_items.clear();
    m_usingRow = -1;
    endResetModel();
}

int SchemeListModel::InitialRow() const
{
    for (int row = int(m_items.size()) - 1; row >= 0; --row) {
        if (m_items.at(row).KeyName == m_szCurrentScheme)
            return row;
    }
    return m_items.isEmpty() ? -1 : 0;
}

SchemeListModel::Buttons SchemeListModel::ButtonsFor(int row, bool mayChange) const
{
    if (row < 0 || row >= m_items.size() || m_unreadable)
        return {};
    const SchemeItem& item = m_items.at(row);
    const bool own = !item.IsBuiltIn && !item.Unreadable && mayChange;
    return {own, own && item.KeyName != m_szCurrentScheme};
}

reg::LSTATUS SchemeListModel::ApplyScheme(int row)
{
    if (row < 0 || row >= m_items.size())
        return reg::ERROR_INVALID_PARAMETER;
    const reg::LSTATUS status = scheme::ApplyScheme(m_items.at(row).KeyName);
    if (status != reg::ERROR_SUCCESS)
        return status;
    m_szCurrentScheme = m_items.at(row).KeyName;
    SetUsingRow(row);
    return status;
}

void SchemeListModel::SetUsingRow(int row)
{
    const int previous = std::exchange(m_usingRow, row);
    for (const int changed : {previous, row}) {
        if (changed >= 0)
            Q_EMIT dataChanged(index(changed), index(changed));
    }
}
