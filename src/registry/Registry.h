#pragma once
// The settings store, called the way the Windows registry is called. Two roots, each one SQLite file
// (see StoreConfig.h); keys are opened with an access mask and give Win32 status codes. Names keep
// their case and compare without it; subkeys enumerate in upper-cased code-unit order, values in
// creation order. Outside a Transaction every write is durable when the call returns.

#include "RegTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace reg {

struct KeyObject;
using HKEY = KeyObject*;

// Predefined root handles: never closed, always open with all access the root file allows.
extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

LSTATUS RegOpenKeyEx(HKEY parent, const QString& subKey, REGSAM access, HKEY* result);
LSTATUS RegCreateKeyEx(HKEY parent, const QString& subKey, REGSAM access, HKEY* result,
                       DWORD* disposition = nullptr);
LSTATUS RegCloseKey(HKEY key);

// With data null, *cbData receives the size. With a buffer smaller than the value, ERROR_MORE_DATA
// and *cbData receives the size; nothing is copied.
LSTATUS RegQueryValueEx(HKEY key, const QString& name, DWORD* type, BYTE* data, DWORD* cbData);
// Stores exactly cbData bytes; overwriting keeps the value's place and its first-written name.
LSTATUS RegSetValueEx(HKEY key, const QString& name, DWORD type, const BYTE* data, DWORD cbData);
LSTATUS RegDeleteValue(HKEY key, const QString& name);
// Deletes every named value that exists, in one transaction; missing names are not an error.
LSTATUS RegDeleteValues(HKEY key, const QStringList& names);

// Fails with ERROR_ACCESS_DENIED when the subkey has subkeys of its own.
LSTATUS RegDeleteKey(HKEY parent, const QString& subKey);
// Deletes subKey and everything below it; with an empty subKey, the key's subkeys and values go
// and the key itself stays.
LSTATUS RegDeleteTree(HKEY parent, const QString& subKey);

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, QString* name);
LSTATUS RegEnumValue(HKEY key, DWORD index, QString* name, DWORD* type, QByteArray* data);
// The names of all the key's values, in the order RegEnumValue gives them, from one query and
// without their data.
LSTATUS RegQueryValueNames(HKEY key, QStringList* names);
LSTATUS RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* values);

// The root a handle belongs to, and its full path below the root ("" for the root itself).
LSTATUS RegGetKeyPath(HKEY key, Root* root, QString* path);

HKEY RootKey(Root root);

// The system's message for a status code ("Access is denied.").
QString RegErrorText(LSTATUS status);

// Owns an open key handle and closes it.
class Key {
public:
    Key() = default;
    explicit Key(HKEY h) : m_h(h) {}
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    Key(Key&& o) noexcept : m_h(o.m_h) { o.m_h = nullptr; }
    Key& operator=(Key&& o) noexcept;
    ~Key() { reset(); }

    HKEY get() const { return m_h; }
    operator HKEY() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    // Releases the current handle and returns the slot for an out-parameter.
    HKEY* put();
    void reset();

private:
    HKEY m_h = nullptr;
};

} // namespace reg
