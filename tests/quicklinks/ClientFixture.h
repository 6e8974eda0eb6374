#pragma once
// A client's items in both layouts and an order list, written into the test's store.
//   order ids 0001-0012: built-in items I1..I12 (I5 without a name), Category = id
//   0020, 0021: UserDefined\0001 "U1", UserDefined\0002 "U2"
//   0030: an id without a value; 0031: a value whose item key is missing

#include "app/Settings.h"
#include "quicklinks/ClientItemStore.h"
#include "StoreValues.h"

#include <QString>

namespace fixture {

inline const QString kClient = QStringLiteral("Software\\Orvane\\TALVEN\\Client");
inline const QString kClient2 = QStringLiteral("Software\\Orvane\\TALVEN\\Client.2");
inline const QString kOrder = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\QuickLink\\Order");
inline const QString kOrder2 = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\QuickLink.2\\Order");
inline const QString kPolicyOrder =
    QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\QuickLink\\Order");

inline void PutItem(const QString& client, const QString& keyName, const QString& name, reg::DWORD category)
{
    const QString path = client + QLatin1Char('\\') + keyName;
    if (!name.isEmpty())
        PutString(reg::HKEY_CURRENT_USER, path, QStringLiteral("MenuString"), name);
    PutString(reg::HKEY_CURRENT_USER, path, QStringLiteral("ExecInterface"), QStringLiteral("/usr/bin/") + keyName);
    PutDword(reg::HKEY_CURRENT_USER, path, QStringLiteral("Category"), category);
    PutDword(reg::HKEY_CURRENT_USER, path, QStringLiteral("ExecInterfaceType"), 1);
}

// Items in both layouts (layout 2 names carry a "2"), the id values under orderKey, and the list.
inline void PutClient(const QString& orderList, reg::HKEY orderRoot = reg::HKEY_CURRENT_USER,
                      const QString& orderKey = kOrder)
{
    for (const QString& client : {kClient, kClient2}) {
        const QString suffix = client == kClient ? QString() : QStringLiteral("-2");
        for (int n = 1; n <= 12; ++n)
            PutItem(client, QStringLiteral("I%1").arg(n), n == 5 ? QString() : QStringLiteral("I%1%2").arg(n).arg(suffix), n);
        for (int n = 1; n <= 2; ++n)
            PutItem(client, QStringLiteral("UserDefined\\000%1").arg(n), QStringLiteral("U%1%2").arg(n).arg(suffix), 9);
    }
    for (const QString& key : {orderKey, orderKey == kOrder ? kOrder2 : orderKey}) {
        for (int n = 1; n <= 12; ++n)
            PutString(orderRoot, key, ql::FourDigits(n), QStringLiteral("I%1").arg(n));
        PutString(orderRoot, key, QStringLiteral("0020"), QStringLiteral("UserDefined\\0001"));
        PutString(orderRoot, key, QStringLiteral("0021"), QStringLiteral("UserDefined\\0002"));
        PutString(orderRoot, key, QStringLiteral("0031"), QStringLiteral("Ghost"));
        PutString(orderRoot, key, QString(), orderList);
    }
}

inline void SetLayoutMode(reg::DWORD mode)
{
    PutDword(reg::HKEY_CURRENT_USER, settings::kXmlControlKey, QStringLiteral("QuickLink"), mode);
}

// "id:name:state" per entry, blank-separated; state 1 unchecked, 2 checked, 3 fixed-checked.
inline QString Describe(const QList<ql::ListEntry>& entries)
{
    QStringList parts;
    for (const ql::ListEntry& entry : entries)
        parts << QStringLiteral("%1:%2:%3").arg(entry.item.OrderId, entry.item.MenuString).arg(int(entry.state));
    return parts.join(QLatin1Char(' '));
}

} // namespace fixture
