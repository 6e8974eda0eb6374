#pragma once
// Schemes written into the test's store, the store as a .reg export, pictures on disk, expected
// outputs kept in data/, and a private session bus that counts the scheme-change signals.

#include "StoreValues.h"
#include "appearance/SchemeItem.h"

#include <ostream>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

namespace fixture {

inline const QString kRoot = QStringLiteral("Software\\Orvane\\TALVEN\\Data\\Appearance");
inline const QString kPolicyRoot = QStringLiteral("Software\\Policies\\Orvane\\TALVEN\\Data\\Appearance");

void PutScheme(reg::HKEY root, const QString& rootPath, const QString& keyName, reg::DWORD fg, reg::DWORD bg,
               reg::DWORD mastHead, const QString& image, const QString& osd);
inline void PutUserScheme(const QString& keyName, const QString& image = QStringLiteral("sky.png"), const QString& osd = {})
{
    PutScheme(reg::HKEY_CURRENT_USER, kRoot, keyName, 0xFFFFFF, 0x102030, 1, image, osd);
}
inline void PutCurrent(const QString& keyName) { PutString(reg::HKEY_CURRENT_USER, kRoot, QString(), keyName); }

// Both roots below their scheme roots and the machine's "Software" as the registry editor
// exports them, the folder replaced by "<pictures>".
QString Stored(const QString& pictures = QStringLiteral("<none>"));
// The text expected in data/<name>; APPEARANCE_UPDATE_EXPECTED=1 writes actual there instead.
QString Expected(const QString& name, const QString& actual);

// An empty file: the editor looks at a picture's name, not at its content.
void Touch(const QString& path);

// Scheme-change signals received on the process's own session bus (started on first use), once
// every signal sent before the call arrived. Call it before anything is sent.
int SchemeSignals();

} // namespace fixture
