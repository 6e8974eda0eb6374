#pragma once
// The rows of the feed list, without widgets: one feed per row, sorted by name, its tick the
// feed's "Enable". A tick change is asked with setData(ui::StateImageRole); a feed kept as stored
// refuses it.

#include "messagecenter/FeedStore.h"
#include "pagekit/StateImage.h"

#include <QAbstractTableModel>

class FeedListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FeedListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QList<mc::FeedEntry>& Entries() const { return m_rows; }
    const RssFeed& Feed(int row) const { return m_rows.at(row).feed; }
    bool IsKept(int row) const { return m_rows.at(row).keepStored; }
    // False when the stored list could not be read whole: the page then keeps it as stored.
    bool IsComplete() const { return m_complete; }

    void LoadFeedList(reg::HKEY root, const QString& keyPath);
    void FreeFeedItems();
    // Takes the rows read back from an import's working copy (sorted), which holds the list
    // written over the imported feeds; imported feeds that could not be read whole are left out. Rows of the
    // list that are not among them stay: those kept as stored (never written there; they win over
    // an imported feed of their name) and those added while the import ran.
    void TakeMerged(QList<mc::FeedEntry> merged);
    // The row of another feed that takes the name (the store tells key names apart without
    // case), or -1; exceptRow is the row being edited.
    int FindName(const QString& name, int exceptRow = -1) const;
    // Adds the feed ticked, whatever its "Enable" says; returns its row in the sorted list.
    int AddFeedItem(const RssFeed& feed);
    // Puts the edited feed in the row, keeping the row's tick; returns its new row.
    int ReplaceFeed(int row, const RssFeed& feed);
    // Removes the row; returns the row to select next (the one before, or the new first), -1
    // when the list is empty.
    int DeleteFeed(int row);

private:
    // Views and testers ask with invalid indexes too; those get nothing.
    bool HoldsRow(const QModelIndex& index) const;
    int Sort(qsizetype followedRow);

    QList<mc::FeedEntry> m_rows;
    bool m_complete = true;
};
