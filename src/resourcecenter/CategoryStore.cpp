#include "resourcecenter/CategoryStore.h"

#include "registry/RegValues.h"
#include "settings/Settings.h"
#include "settings/StringTable.h"
#include "trace/Trace.h"

#include <QVarLengthArray>

namespace rc {

using namespace reg;

namespace {

const QString kNlsKey = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\NLS");
const QString kLabelsValue = QStringLiteral("ResourceCenter.Labels");
const QString kDefaultValue;

// The order list is read and written in 130 code units with the terminator ...
constexpr int kOrderListUnits = 130;
// ... so a written list holds the marker and at most 25 codes: five characters each, the last
// without its blank.
constexpr int kMaxCategoryRows = kOrderListUnits / 5 - 1;
constexpr DWORD kLabelsBytes = 5200;

// Categories 0 to 11. Code 0's label exists only in a language library.
constexpr unsigned kCategoryStrings[] = {
    res::IDS_CATEGORY_CODE_ZERO, res::IDS_CATEGORY_MAINTENANCE, res::IDS_CATEGORY_WIRELESS,
    res::IDS_CATEGORY_DEVICE_CONFIGURATION, res::IDS_CATEGORY_SYSTEM_MIGRATION, res::IDS_CATEGORY_SECURITY,
    res::IDS_CATEGORY_TECHNOLOGIES, res::IDS_CATEGORY_HELP, res::IDS_CATEGORY_MULTIMEDIA,
    res::IDS_CATEGORY_COMMUNICATION, res::IDS_CATEGORY_SMALL_BUSINESS, res::IDS_CATEGORY_OTHERS};

} // namespace

DWORD XmlControl() { return settings::GetXmlControl(QStringLiteral("ResourceCenter")); }

bool IsNlsMode()
{
    Key key;
    LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, kNlsKey, KEY_READ, key.put());
    QString text;
    if (status == ERROR_SUCCESS)
        status = QueryString(key, kDefaultValue, kTextBufferUnits, &text);
    return status == ERROR_SUCCESS ? text == QLatin1String("1") : settings::IsReadFailure(status);
}

Mode ModeOf(DWORD xmlControl, bool nls)
{
    if (xmlControl != kOrderLayout)
        return Mode::XmlControl;
    return nls ? Mode::Nls : Mode::Order;
}

QString CategoryDataKey(DWORD xmlControl, bool managed)
{
    using settings::Area;
    if (managed)
        return settings::PolicyDataKey(Area::ResourceCenter);
    if (xmlControl == kOrderLayout)
        return settings::UserDataKey(Area::ResourceCenter);
    if (xmlControl == kClientLayout || xmlControl == kClientLayoutWithBoxes)
        return settings::SecondLayoutDataKey(Area::ResourceCenter);
    return {};
}

QString CurrentOrderKey() { return settings::DataKey(settings::Area::ResourceCenter) + QStringLiteral("\\Order"); }

std::optional<unsigned> CategoryStringId(int code)
{
    if (code < 0 || code >= int(std::size(kCategoryStrings)))
        return std::nullopt;
    return kCategoryStrings[code];
}

QString CategoryLabel(unsigned stringId) { return ql::CutItemText(res::LoadResString(stringId)); }

CategoryLoad LoadOrderList()
{
    Key order;
    const HKEY root = settings::IsManagedMode() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    // A missing key reads as a missing list: the save then finds no key to write.
    LSTATUS status = RegOpenKeyEx(root, CurrentOrderKey(), KEY_READ, order.put());
    QString list;
    if (status == ERROR_SUCCESS)
        status = QueryString(order, kDefaultValue, kOrderListUnits, &list);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return {{}, ql::StoredList::Unreadable};

    CategoryLoad load;
    bool notShown = false;
    for (const QString& entry : ql::ParseOrderList(list)) {
        if (entry == ql::kNotShownMarker) {
            notShown = true;
            TRACE("PopulateItemList : -------------");
            continue;
        }
        const int code = ql::LeadingNumber(entry);
        const std::optional<unsigned> stringId = CategoryStringId(code);
        if (!stringId)
            continue;
        CategoryRow row;
        row.label = CategoryLabel(*stringId);
        row.state = notShown ? ui::kUnchecked : ui::kChecked;
        // Written back as four digits whatever the stored text held: a shorter last entry or one
        // with blanks would otherwise shift every entry after it.
        row.record.OrderId = ql::FourDigits(code);
        load.rows.append(row);
    }
    if (load.rows.size() > kMaxCategoryRows)
        load.stored = ql::StoredList::TooLong;
    return load;
}

QList<CategoryRow> NlsCategories()
{
    QList<CategoryRow> rows;
    for (int code = 1; code < int(std::size(kCategoryStrings)); ++code)
        rows.append({CategoryLabel(kCategoryStrings[code]), ui::kUnchecked, {}});
    return rows;
}

QList<CategoryRow> LoadXmlLabels()
{
    Key key;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, settings::kXmlControlKey, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    QVarLengthArray<BYTE, kLabelsBytes> buffer(kLabelsBytes, 0);
    DWORD size = kLabelsBytes;
    if (RegQueryValueEx(key, kLabelsValue, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        return {};
    QList<CategoryRow> rows;
    QString piece;
    // The data's end ends its last piece as a zero would.
    const DWORD units = size / 2;
    for (DWORD unit = 0; unit <= units; ++unit) {
        const char16_t c = unit < units ? char16_t(buffer[2 * unit] | buffer[2 * unit + 1] << 8) : u'\0';
        if (c != u'\0') {
            piece.append(QChar(c));
        } else if (!piece.isEmpty()) {
            rows.append({ql::CutItemText(piece), ui::kChecked, {}});
            piece.clear();
        }
    }
    return rows;
}

void WriteOrderList(const QList<CategoryRow>& rows, app::PageSave& save)
{
    if (!save.Begin(Root::CurrentUser))
        return;
    QStringList shown;
    QStringList hidden;
    for (const CategoryRow& row : rows) {
        if (!row.record.OrderId.isEmpty())
            (row.state == ui::kChecked ? shown : hidden).append(row.record.OrderId);
    }
    Key order;
    const LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, CurrentOrderKey(), KEY_READ | KEY_WRITE, order.put());
    if (status == ERROR_FILE_NOT_FOUND)
        return;
    if (save.Run(Root::CurrentUser, [status] { return status; }))
        save.Run(Root::CurrentUser, [&] { return SetString(order, kDefaultValue, ql::FormatOrderList(shown, hidden)); });
}

} // namespace rc
