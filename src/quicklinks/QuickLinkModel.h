#pragma once
// The rules of the Quick Links list, without widgets: the rows with their records and check
// states, the counters, which check changes are allowed, moving, and the numbering of New and
// Delete. A check change is asked of the model with setData(ui::StateImageRole); the answer is the
// allow or refuse of the rules.

#include "quicklinks/ClientItemStore.h"

#include <QAbstractTableModel>

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
    int MaxQuickLinks() const { return m_nMaxQuickLinks; }
    int CheckedCount() const { return m_nChecked; }
    // False until the list is loaded, and while the page changes the list itself.
    bool IsReady() const { return m_bReady && m_nPaused == 0; }

    // Keeps the rules out of the page's own changes of the list while it lives.
    class RulesPause {
    public:
        explicit RulesPause(QuickLinkModel& model) : m_model(model) { ++m_model.m_nPaused; }
        ~RulesPause() { --m_model.m_nPaused; }
        RulesPause(const RulesPause&) = delete;
        RulesPause& operator=(const RulesPause&) = delete;

    private:
        QuickLinkModel& m_model;
    };

    // Fills the list from the store; the counters follow the load and the rules apply from then.
    void PopulateItemList();
    void FreeItemList();
    // Writes the list into the page's save, unless the stored one must be kept: then nothing of
    // it is touched.
    void WriteItemList(app::PageSave& save) const;
    ql::StoredList StoredListState() const { return m_storedList; }
    bool KeepsStoredList() const { return m_storedList != ql::StoredList::Editable; }

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

Q_SIGNALS:
    // A row's check state changed.
    void itemChanged(int row);
    // A check beyond the maximum was refused; the page tells the user.
    void maximumReached(int maxQuickLinks);

private:
    // Whether a row may take the requested state, with the counters following an allowed change.
    bool OnItemChanging(int row, ui::StateImage requested);
    void SetState(int row, ui::StateImage state);
    bool MayEditUserItems() const;
    bool MayDelete(int row, const QString& userDefinedKey) const;
    int UserDefinedNumber(const ClientItem& item, const QString& userDefinedKey) const;

    const int m_nMaxQuickLinks;
    int m_nMaxUserDefined;
    int m_nMaxOrderId = 0;
    int m_nChecked = 0;
    bool m_bReady = false;
    int m_nPaused = 0;
    QList<ql::ListEntry> m_rows;
    ql::StoredList m_storedList = ql::StoredList::Editable;
};
