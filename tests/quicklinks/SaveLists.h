#pragma once
// Two different Quick Links lists, each with user-defined items, that the killed-save test saves
// in turn: a store must always hold exactly one of them.

#include "quicklinks/ClientItemStore.h"

namespace savelists {

inline ql::ListEntry Entry(const QString& keyName, const QString& orderId, const QString& name, ui::StateImage state)
{
    const bool user = keyName.startsWith(QStringLiteral("UserDefined"));
    return {{name, QStringLiteral("/usr/bin/") + name.toLower(), QStringLiteral("Software\\Orvane\\TALVEN\\Client\\") + keyName,
             keyName, orderId, user ? 9u : 2u, 4}, state};
}

// index 0 or 1.
inline QList<ql::ListEntry> List(int index)
{
    if (index == 0)
        return {Entry("UserDefined\\0001", "0020", "Alpha", ui::kChecked), Entry("I1", "0001", "", ui::kChecked),
                Entry("UserDefined\\0002", "0021", "Beta", ui::kUnchecked)};
    return {Entry("I2", "0002", "", ui::kChecked), Entry("UserDefined\\0001", "0003", "Gamma", ui::kChecked),
            Entry("UserDefined\\0002", "0004", "Delta", ui::kUnchecked),
            Entry("UserDefined\\0003", "0005", "Epsilon", ui::kUnchecked), Entry("I1", "0001", "", ui::kUnchecked)};
}

} // namespace savelists
