#pragma once
// Two different Quick Links lists, each with user-defined items, that the killed-save test saves
// in turn: a store must always hold exactly one of them.

#include "quicklinks/ClientItemStore.h"

// index 0 or 1. An entry is "key name, order id, name ('-' for none), checked".
inline QList<ql::ListEntry> SaveList(int index)
{
    static const QStringList lists[2] = {
        {"UserDefined\\0001 0020 Alpha 1", "I1 0001 - 1", "UserDefined\\0002 0021 Beta 0"},
        {"I2 0002 - 1", "UserDefined\\0001 0003 Gamma 1", "UserDefined\\0002 0004 Delta 0", "UserDefined\\0003 0005 Epsilon 0",
         "I1 0001 - 0"}};
    QList<ql::ListEntry> entries;
    for (const QString& entry : lists[index]) {
        const QStringList f = entry.split(u' ');
        const QString name = f[2] == "-" ? QString() : f[2];
        entries.append({{name, "/usr/bin/" + name.toLower(), "Software\\Orvane\\TALVEN\\Client\\" + f[0], f[0], f[1],
                         f[0].startsWith("UserDefined") ? 9u : 2u, 4}, f[3] == "1" ? ui::kChecked : ui::kUnchecked});
    }
    return entries;
}
