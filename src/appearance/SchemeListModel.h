#pragma once
// The Appearance page's list and its rules, without widgets: the schemes sorted by their text
// without regard to case, the one in use marked "(Using)", which buttons a selection allows, and
// Apply. The list owns its SchemeItems from a load until it is emptied.

#include "appearance/SchemeItem.h"
#include "registry/RegTypes.h"

#include <QAbstractListModel>
#include <QList>

class SchemeListModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Buttons {
        bool edit = false;
        bool remove = false;
    };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Reads the store afresh; the marker takes part in the order.
    void LoadSchemeList(const QString& installPath);
    void FreeSchemeList();

    const SchemeItem& Item(int row) const { return m_items.at(row); }
    QString Text(int row) const;
    const QString& CurrentScheme() const { return m_szCurrentScheme; }
    // The store's list could not be read whole: nothing may change it.
    bool IsUnreadable() const { return m_unreadable; }
    // The last entry of the scheme in use, else the first; -1 for an empty list.
    int InitialRow() const;
    // Edit and Delete for the entry; mayChange is false for someone the administrator-only box
    // keeps out.
    Buttons ButtonsFor(int row, bool mayChange) const;
    // Names the entry's scheme as the one in use; the marker moves to it, where it stays in its
    // place. Returns the store's status; on a failure nothing changes.
    reg::LSTATUS ApplyScheme(int row);

private:
    void SetUsingRow(int row);

    QList<SchemeItem> m_items;
    QString m_szCurrentScheme;
    int m_usingRow = -1;
    bool m_unreadable = false;
};
