#pragma once
// Points both roots at files in a fresh temporary folder for the lifetime of the object, through
// TALVEN_HKCU and TALVEN_HKLM so that child processes use the same store.

#include "registry/StoreConfig.h"

#include <QString>
#include <QTemporaryDir>

class TempStore {
public:
    TempStore();
    ~TempStore();
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    QString dir() const { return m_dir.path(); }
    QString path(reg::Root root) const;
    // Makes a root refuse writes, as for a user who may not write its file.
    void setReadOnly(reg::Root root, bool readOnly);

private:
    QTemporaryDir m_dir;
};
