#pragma once
// Where the client's items and their order live, and how the Quick Links list is read from and
// written to the store. Every call resolves its keys afresh from the layout mode and managed mode.

#include "clientitems/ClientItem.h"
#include "clientitems/OrderList.h"
#include "pagekit/StateImage.h"
#include "registry/RegTypes.h"
#include "settings/PageSave.h"

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

// XmlControl "QuickLink": which of the client's two layouts the list belongs to. Any other value
// reads as the second layout, editable but never written.
enum LayoutModeValue : reg::DWORD {
    kFirstLayout = 0,
    // The second layout, which the page only shows.
    kSecondLayoutReadOnly = 1,
    kSecondLayout = 2,
};
reg::DWORD LayoutMode();
// Whether the page writes the list of the layout mode.
bool LayoutIsWritten(reg::DWORD layoutMode);
// Managed mode takes the order from the policy key and the items from the first layout.
ClientKeys ResolveClientKeys(reg::DWORD layoutMode, bool managed);
ClientKeys CurrentClientKeys();

// 7, or 15 while the client's Resource Center is hidden.
int MaxQuickLinks();
// The highest number among the user-defined keys of the layout; 0 when it has none.
int GetMaxUserDefinedNumber(reg::DWORD layoutMode);

struct ListEntry {
    ClientItem item;
    ui::StateImage state = ui::kUnchecked;
    // The item's values could not all be read, or its key path was cut: the save neither
    // rewrites nor deletes its key.
    bool keepStored = false;
};

struct ItemListLoad {
    QList<ListEntry> entries;
    int checked = 0;
    int maxOrderId = 0;
    StoredList stored = StoredList::Editable;
};

// Entries in the order of the order list; at most maxQuickLinks of them checked.
ItemListLoad LoadItemList(int maxQuickLinks);
// Writes the order list and its values and rebuilds the user-defined items as part of a page's
// save, which sets the settings-written flag once committed. Stops at the first failed write.
void WriteItemList(const QList<ListEntry>& entries, app::PageSave& save);
// The list in a save of its own.
[[nodiscard]] app::SaveResult SaveItemList(const QList<ListEntry>& entries);

} // namespace ql
