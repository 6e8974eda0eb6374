#pragma once
// The rules of the Resource Center list, without widgets: the category rows with their check
// states, the check rule (the last checked category stays checked), and the order that puts
// Multimedia Management above Help and Support. A check change is asked of the model with
// setData(ui::StateImageRole); the answer is the rule's allow or refuse.

#include "resourcecenter/CategoryStore.h"

#include <QAbstractTableModel>

class CategoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QList<rc::CategoryRow>& Rows() const { return m_rows; }
    // The check rule applies once a load has made the list ready; the NLS list never is.
    bool IsReady() const { return m_bReady; }
    ql::StoredList StoredListState() const { return m_storedList; }
    bool KeepsStoredList() const { return m_storedList != ql::StoredList::Editable; }

    // Fills the list in the mode's way.
    void PopulateItemList(rc::Mode mode);
    void FreeItemList();
    // Puts the "0008" row above the "0007" row, each keeping its own label and check state; the
    // rows change places directly, so the check rule does not see it.
    void FixCategoryOrder();
    // Writes the order list into the page's save, unless the stored one must be kept.
    void WriteItemList(app::PageSave& save);

private:
    void SetRows(QList<rc::CategoryRow> rows);
    int CheckedCount() const;
    int LastRowWithCode(const QString& orderId) const;

    QList<rc::CategoryRow> m_rows;
    bool m_bReady = false;
    ql::StoredList m_storedList = ql::StoredList::Editable;
};
