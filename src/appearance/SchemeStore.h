#pragma once
// The client's colour schemes in the store: one subkey of the scheme root per scheme, and the
// root's unnamed value naming the scheme in use. The root is the user's, or in managed mode the
// policy's under the machine store, read only.

#include "appearance/SchemeItem.h"

#include <QList>

namespace scheme {

inline const QString kDefaultScheme = QStringLiteral("VelkorDefaultScheme01");
inline const QString kWhiteScheme = QStringLiteral("VelkorDefaultScheme02");

// The two built-in schemes show a text of the string table instead of their key name.
bool IsBuiltInName(const QString& keyName);
QString DisplayNameOf(const QString& keyName);

// A stored image without ":", "\" or "/" (an empty one too) is a name in the client's image
// folder "<install path>/Image/"; without an install path it stays empty. Anything else is a path.
QString ResolveImage(const QString& stored, const QString& installPath);

// A scheme name addresses one subkey: not empty, and no separator that would reach another key.
bool IsValidSchemeName(const QString& name);

struct SchemeList {
    // In enumeration order.
    QList<SchemeItem> items;
    // The key name of the scheme in use; empty when the stored one could not be read.
    QString current;
    // The root or its list of subkeys could not be read: the list is shown, but not changed.
    bool unreadable = false;
};

// Reads every scheme. Unless managed, elevated or unreadable, makes sure the default scheme's key
// exists and repairs a missing unnamed value to name it.
SchemeList LoadSchemes(const QString& installPath);

// Writes the scheme's values as one change (nothing in managed mode or when elevated). A key of
// that name is overwritten value by value.
reg::LSTATUS SaveScheme(const SchemeItem& item);
// Deletes the scheme's key; a key with subkeys of its own stays and gives ERROR_ACCESS_DENIED.
reg::LSTATUS DeleteScheme(const QString& keyName);
// Names the scheme in use and, once that is written, tells a running client.
reg::LSTATUS ApplyScheme(const QString& keyName);

} // namespace scheme
