#pragma once
// A client's items in both layouts and an order list, written into the test's store.
//   order ids 0001-0012: built-in items I1..I12 (I5 without a name), Category = id
//   0020, 0021: UserDefined\0001 "U1", UserDefined\0002 "U2"
//   0031: a value whose item key is missing
// The second layout's items carry "-2" in their names.

#include "GuiTest.h"
#include "StoreValues.h"
#include "quicklinks/ClientItemStore.h"
#include "registry/Utf16Le.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <optional>

namespace fixture {

inline const QString kClient = QStringLiteral("Software\\Orvane\\TALVEN\\Client");
inline const QString kClient2 = kClient + QStringLiteral(".2");
inline const QString kUserDefined = kClient + QStringLiteral("\\UserDefined");
inline const QString kData = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\QuickLink");
inline const QString kOrder = kData + QStringLiteral("\\Order");
inline const QString kOrder2 = kData + QStringLiteral(".2\\Order");
inline const QString kPolicyOrder = QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\QuickLink\\Order");

inline void PutItem(const QString& client, const QString& keyName, const QString& name, reg::DWORD category)
{
    const QString path = client + QLatin1Char('\\') + keyName;
    if (!name.isEmpty())
        PutString(reg::HKEY_CURRENT_USER, path, QStringLiteral("MenuString"), name);
    PutString(reg::HKEY_CURRENT_USER, path, QStringLiteral("ExecInterface"), QStringLiteral("/usr/bin/") + keyName);
    PutDword(reg::HKEY_CURRENT_USER, path, QStringLiteral("Category"), category);
    PutDword(reg::HKEY_CURRENT_USER, path, QStringLiteral("ExecInterfaceType"), 1);
}

// Items in both layouts; the id values and the list (none when unset) only under orderKey, so
// that a reader of the wrong layout's key finds nothing.
inline void PutClient(const std::optional<QString>& orderList, const QString& orderKey = kOrder,
                      reg::HKEY orderRoot = reg::HKEY_CURRENT_USER)
{
    for (const QString& client : {kClient, kClient2}) {
        const QString suffix = client == kClient ? QString() : QStringLiteral("-2");
        for (int n = 1; n <= 12; ++n)
            PutItem(client, QStringLiteral("I%1").arg(n), n == 5 ? QString() : QStringLiteral("I%1%2").arg(n).arg(suffix), n);
        for (int n = 1; n <= 2; ++n)
            PutItem(client, QStringLiteral("UserDefined\\000%1").arg(n), QStringLiteral("U%1%2").arg(n).arg(suffix), 9);
    }
    for (int n = 1; n <= 12; ++n)
        PutString(orderRoot, orderKey, ql::FourDigits(n), QStringLiteral("I%1").arg(n));
    PutString(orderRoot, orderKey, QStringLiteral("0020"), QStringLiteral("UserDefined\\0001"));
    PutString(orderRoot, orderKey, QStringLiteral("0021"), QStringLiteral("UserDefined\\0002"));
    PutString(orderRoot, orderKey, QStringLiteral("0031"), QStringLiteral("Ghost"));
    if (orderList)
        PutString(orderRoot, orderKey, QString(), *orderList);
}

inline void SetLayoutMode(reg::DWORD mode) { PutDword(reg::HKEY_CURRENT_USER, settings::kXmlControlKey, QStringLiteral("QuickLink"), mode); }

// "id:name:state" per entry, blank-separated; state 1 unchecked, 2 checked, 3 fixed-checked.
inline QString Describe(const QList<ql::ListEntry>& entries)
{
    QStringList parts;
    for (const ql::ListEntry& entry : entries)
        parts << QStringLiteral("%1:%2:%3").arg(entry.item.OrderId, entry.item.MenuString).arg(int(entry.state));
    return parts.join(QLatin1Char(' '));
}

// A string value without its terminator, "<none>" when it is missing.
inline QString ReadText(reg::HKEY root, const QString& path, const QString& name)
{
    const std::optional<QByteArray> bytes = ReadBytes(root, path, name);
    return bytes ? reg::FromUtf16Le(*bytes).section(QChar(0), 0, 0) : QStringLiteral("<none>");
}

// The user's part of the store below a key, as the registry editor would export it.
inline QString Export(const QString& path) { return ExportText(reg::Root::CurrentUser, path); }

inline QString Stored() { return Export(kClient) + Export(kData); }

} // namespace fixture
