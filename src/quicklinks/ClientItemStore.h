#pragma once
// Where the client's items and their order live, and how the Quick Links list is read from and
// written to the store. Every call resolves its keys afresh from the layout mode and managed mode.

#include "app/StateImage.h"
#include "quicklinks/ClientItem.h"
#include "registry/RegTypes.h"

#include <QList>

namespace ql {

struct ClientKeys {
    // The layout's Client key; an item key is this, a backslash and the item's key name.
    QString clientPath;
    QString userDefinedKey;
    reg::Root orderRoot = reg::Root::CurrentUser;
    QString orderKey;
    QString dataKey;
};

// XmlControl "QuickLink": 0 the first layout, anything else the second; 1 also makes the page
// read-only, and the page writes only for 0 and 2.
reg::DWORD LayoutMode();
// Managed mode takes the order from the policy key and the items from the first layout.
ClientKeys ResolveClientKeys(reg::DWORD layoutMode, bool managed);
ClientKeys CurrentClientKeys();

// 7, or 15 while the client's Resource Center is hidden.
int MaxQuickLinks();
// The highest number among the user-defined keys of the layout (the key is created when missing).
int GetMaxUserDefinedNumber(reg::DWORD layoutMode);

struct ListEntry {
    ClientItem item;
    ui::StateImage state = ui::kUnchecked;
};

struct ItemListLoad {
    QList<ListEntry> entries;
    int checked = 0;
    int maxOrderId = 0;
    // The stored order list must stay as it is: it is too long or not a string (no entries, and
    // saving the empty list would wipe what is stored), or it carries more ids than a written
    // list can hold.
    bool keepStoredList = false;
};

// Entries in the order of the order list; at most maxQuickLinks of them checked.
ItemListLoad LoadItemList(int maxQuickLinks);
// Writes the order list and its values and rebuilds the user-defined items, in one transaction
// per root, and sets the settings-written flag.
void SaveItemList(const QList<ListEntry>& entries);

} // namespace ql
