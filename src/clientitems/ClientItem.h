#pragma once
// One entry of the Quick Links list in memory: a client item, where it lives and its order id.

#include <QString>

#include <cstdint>

struct ClientItem {
    QString MenuString;
    QString ExecInterface;
    // Full path of the item key under HKEY_CURRENT_USER.
    QString KeyPath;
    // Relative to the layout's Client key; the data of the order-id value.
    QString KeyName;
    // Four digits.
    QString OrderId;
    std::uint32_t Category = 0;
    std::uint32_t ExecInterfaceType = 0;
};

namespace ql {

// The record's text fields hold 259 characters and a terminator.
inline constexpr int kMaxItemText = 259;
QString CutItemText(const QString& text);

// An item is the user's exactly when its key path names the user-defined key, in any case.
bool IsUserDefined(const ClientItem& item);

// "%.4i": four digits at least, as order ids and user-defined numbers are written.
QString FourDigits(int number);

} // namespace ql
