#pragma once
// Two per-user store files filled alike in a temporary folder: the store works on one, a RawDb on
// the other, so that both sides of a benchmark start from the same schema, pragmas and content.

#include "RawDb.h"
#include "registry/StoreConfig.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace bench {

class TwinStores {
public:
    // Fills each file through the store with populate(); the store stays on "store.db".
    template <typename Populate>
    TwinStores(const QString& prefix, Populate populate)
        : m_dir(QDir::tempPath() + QLatin1Char('/') + prefix + QStringLiteral("-XXXXXX"))
    {
        Require(m_dir.isValid(), "make a temporary folder");
        qputenv("TALVEN_HKLM", QFile::encodeName(path(QStringLiteral("hklm.db"))));
        for (const QString& file : {QStringLiteral("raw.db"), QStringLiteral("store.db")}) {
            qputenv("TALVEN_HKCU", QFile::encodeName(path(file)));
            reg::ResetStore();
            populate();
        }
        // Closing checkpoints and removes the write-ahead log: both sides start from the same state
        // of their files (a read with an empty log checks the file's size; one with a log does not).
        reg::ResetStore();
        m_raw = std::make_unique<RawDb>(path(QStringLiteral("raw.db")));
    }

    ~TwinStores()
    {
        m_raw.reset();
        // Closes the store's connections before the folder goes.
        reg::ConfigureRoot(reg::Root::CurrentUser, reg::RootConfig{});
        reg::ConfigureRoot(reg::Root::LocalMachine, reg::RootConfig{});
        qunsetenv("TALVEN_HKCU");
        qunsetenv("TALVEN_HKLM");
    }

    TwinStores(const TwinStores&) = delete;
    TwinStores& operator=(const TwinStores&) = delete;

    RawDb& raw() const { return *m_raw; }
    QString path(const QString& file) const { return m_dir.filePath(file); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<RawDb> m_raw;
};

} // namespace bench
