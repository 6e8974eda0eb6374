#pragma once
// The rules of the Quick Links list, without widgets: the rows with their records and check
// states, the counters, which check changes are allowed, moving, and the numbering of New and
// Delete. The list control asks for a check change with setData(ui::StateImageRole); the answer
// is the allow or refuse of the rules.

#include "quicklinks/ClientItemStore.h"

#include <QAbstractTableModel>

#include <functional>

class QuickLinkModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QuickLinkModel(int maxQuickLinks, int maxUserDefined, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const ClientItem& Item(int row) const { return m_rows.at(row).item; }
    ui::StateImage State(int row) const { return m_rows.at(row).state; }
    const QList<ql::ListEntry>& Entries() const { return m_rows; }

    // Fills the list from the store; the counters follow the load.
    void PopulateItemList();
    void FreeItemList();
    // Writes the list into the page's save, unless the stored one must be kept (unreadable, or
    // more ids than a written list holds): then nothing of it is touched.
    void WriteItemList(app::PageSave& save) const;
    bool KeepsStoredList() const { return m_bKeepStoredList; }

    // The check rules: whether a row may take the requested state, with the counters following
    // an allowed change. Everything is allowed while the list is not ready.
    bool OnItemChanging(int row, ui::StateImage requested);

    struct Buttons {
        bool edit = false;
        bool remove = false;
        bool operator==(const Buttons&) const = default;
    };
    // Edit and Delete for the selected row right after the load, and after a change.
    Buttons LoadButtons(int row) const;
    Buttons ItemChangedButtons(int row) const;

    // Moves a row with its record and check state; order ids stay.
    bool MoveRow(int from, int to);
    // Appends the edited record as a new user-defined item; returns its row.
    int AddItem(const ClientItem& edited);
    void ReplaceItem(int row, const ClientItem& edited);
    // Removes a row and renumbers the user-defined items and order ids above it; false when the
    // row is the last checked one, or when it or an item it would renumber must stay as stored.
    bool DeleteItem(int row);
    // New is refused once another entry would not fit the order list or its ids.
    bool CanAddItem() const;

    // Answers a refused check beyond the maximum (the page shows the message).
    std::function<void(int maxQuickLinks)> onMaximumReached;

    const int m_nMaxQuickLinks;
    int m_nMaxUserDefined;
    int m_nMaxOrderId = 0;
    int m_nChecked = 0;
    // 0 while the page changes the list itself: the rules stay out of those changes.
    bool m_bReady = false;

Q_SIGNALS:
    // A row's check state changed.
    void itemChanged(int row);

private:
    void SetState(int row, ui::StateImage state);
    bool MayEditUserItems() const;
    bool MayDelete(int row, const QString& userDefinedKey) const;
    int UserDefinedNumber(const ClientItem& item, const QString& userDefinedKey) const;

    QList<ql::ListEntry> m_rows;
    bool m_bKeepStoredList = false;
};
