#pragma once
// Name rules of the store: names keep their case, compare without it, and subkeys enumerate in the
// order of their upper-cased UTF-16 code units (the shorter name first when one is a prefix).

#include "RegTypes.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

namespace reg {

// The folded form of a name: upper-cased code units, big-endian, so that comparing the bytes
// gives the enumeration order.
using FoldedName = QVarLengthArray<char, 512>;
void FoldName(QStringView name, FoldedName* out);

// Splits a key path into its components: a trailing '\' is allowed, an empty component or one
// longer than kMaxKeyNameUnits gives ERROR_INVALID_PARAMETER.
LSTATUS SplitKeyPath(const QString& path, QStringList* components);

// U+0000 to U+001F and U+007F: never part of a key name, so that a name never becomes lines of a
// .reg file or of a terminal.
bool HasControlCharacter(QStringView name);

// A name as a message shows it: control characters as U+FFFD, and a name longer than a line cut
// in the middle with an ellipsis.
QString ShownName(QStringView name);

QString RootName(Root root); // "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"
// Accepts the long and short root names (HKCU, HKLM) in any case.
bool ParseRootName(const QString& text, Root* root);

} // namespace reg
