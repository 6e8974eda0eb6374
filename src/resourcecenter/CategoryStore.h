#pragma once
// Where the Resource Center's categories come from and where their order goes: the three modes
// of the list (the order list, the client's own labels, the fixed list of the NLS switch), the
// category table, and the write of the order list into a page's save.

#include "clientitems/ClientItem.h"
#include "clientitems/OrderList.h"
#include "pagekit/StateImage.h"
#include "registry/RegTypes.h"
#include "settings/PageSave.h"

#include <QList>

#include <optional>

namespace rc {

// XmlControl "ResourceCenter": 0 is the page's own order list; any other value lets the client lay
// out its Resource Center from the stored labels, and 2 still keeps the two boxes in the ".2" key.
enum XmlControlValue : reg::DWORD { kOrderLayout = 0, kClientLayout = 1, kClientLayoutWithBoxes = 2 };
reg::DWORD XmlControl();
// The NLS switch: the client shows every category and the page saves nothing. A switch that
// cannot be read counts as set, so that nothing is saved over what could not be read.
bool IsNlsMode();

enum class Mode { Order, XmlControl, Nls };
Mode ModeOf(reg::DWORD xmlControl, bool nls);

// The data key of the two boxes; empty for an XmlControl value without one.
QString CategoryDataKey(reg::DWORD xmlControl, bool managed);
QString CurrentOrderKey();

// The string of a category code's label; nothing for a code outside the table.
std::optional<unsigned> CategoryStringId(int code);
QString CategoryLabel(unsigned stringId);

struct CategoryRow {
    QString label;
    ui::StateImage state = ui::kUnchecked;
    // Order mode only: the category's code in OrderId, which stays empty in the other modes.
    ClientItem record;
};

struct CategoryLoad {
    QList<CategoryRow> rows;
    ql::StoredList stored = ql::StoredList::Editable;
};

// The order list read as it is stored: rows before the marker checked, codes outside the table
// dropped. A list that cannot be read yields no rows and is kept as stored.
CategoryLoad LoadOrderList();
// Categories 1 to 11 in table order, unchecked.
QList<CategoryRow> NlsCategories();
// The client's own labels, all checked; none when they cannot be read.
QList<CategoryRow> LoadXmlLabels();

// Writes the rows' order list into the Order key, which the save never creates.
void WriteOrderList(const QList<CategoryRow>& rows, app::PageSave& save);

} // namespace rc
