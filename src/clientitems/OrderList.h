#pragma once
// The order list: entries of four-digit ids, each followed by a blank, with the marker "9999"
// between the shown ids and the hidden ones. The Quick Links and the Resource Center store it as
// the unnamed value of their Order keys.

#include <QString>
#include <QStringList>

namespace ql {

inline const QString kNotShownMarker = QStringLiteral("9999");
// The Quick Links list is read and written in 260 code units with the terminator.
inline constexpr int kMaxOrderListUnits = 259;
// The list as written carries the marker and at most this many ids: the writer's buffer also
// holds the trailing blank before it is cut.
inline constexpr int kMaxOrderedItems = 50;

// The four characters at positions 0, 5, 10, ...; the last entry may be shorter.
QStringList ParseOrderList(const QString& list);
// "0001 0002 9999 0003": shown ids, the marker, hidden ids, blank-separated.
QString FormatOrderList(const QStringList& shown, const QStringList& hidden);

// Whether the stored order list may be rewritten, and if not, why it must stay as it is.
enum class StoredList {
    Editable,
    // The order data could not be read, or it holds what a save would lose (a Quick Links list
    // without text).
    Unreadable,
    // More ids than a written list can hold.
    TooLong,
    // The client has no Order key: the save never makes it, so nothing written would be listed.
    NoOrderKey,
};

// The leading decimal number of a text, 0 when it does not start with one (as order ids and
// user-defined key names are read).
int LeadingNumber(const QString& text);

} // namespace ql
