#pragma once
// A fake light (an LED class folder under TALVEN_LED_ROOT) and button light settings in the
// test's store: functions A (level 1), B (level 3) and C (level 4), each with its own program.

#include "StoreValues.h"
#include "registry/RegFileWriter.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

namespace fixture {

inline const QString kRoot = settings::UserDataKey(settings::Area::ButtonLight);
inline const QString kPolicyRoot = settings::PolicyDataKey(settings::Area::ButtonLight);

class FakeLed {
public:
    explicit FakeLed(bool present = true, const QByteArray& triggers = "[none] timer heartbeat")
    {
        qputenv("TALVEN_LED_ROOT", m_dir.path().toLocal8Bit());
        if (!present)
            return;
        QDir(m_dir.path()).mkdir("KVXPmDrv");
        for (const auto& [file, text] : {std::pair{"brightness", QByteArray("0")}, {"max_brightness", "255"},
                                         {"trigger", triggers}, {"delay_on", "500"}, {"delay_off", "500"}})
            Put(file, text);
    }
    ~FakeLed() { qunsetenv("TALVEN_LED_ROOT"); }

    QString Root() const { return m_dir.path(); }
    QString Path(const QString& file) const { return m_dir.path() + "/KVXPmDrv/" + file; }
    void Put(const QString& file, const QByteArray& text) const
    {
        QFile out(Path(file));
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(text);
    }
    QByteArray Get(const QString& file) const
    {
        QFile in(Path(file));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : "?";
    }
    // "trigger brightness delay_on/delay_off".
    QString State() const
    {
        return QString("%1 %2 %3/%4").arg(Get("trigger"), Get("brightness"), Get("delay_on"), Get("delay_off"));
    }

private:
    QTemporaryDir m_dir;
};

inline void PutFunction(reg::HKEY root, const QString& lightRoot, const QString& key, reg::DWORD enable, reg::DWORD level)
{
    const QString path = lightRoot + '\\' + key;
    PutString(root, path, "ProgramName", "Function " + key);
    PutString(root, path, "SettingProgramPath", "/usr/bin/settings-" + key);
    PutString(root, path, "SettingProgramParameters", "--page " + key);
    PutDword(root, path, "EnableFunction", enable);
    PutDword(root, path, "BlinkLevel", level);
}

// Functions A, B, C with the given functions enabled ("B", "AC", ...).
inline void PutFunctions(const QString& enabled, reg::HKEY root = reg::HKEY_CURRENT_USER, const QString& lightRoot = kRoot)
{
    const reg::DWORD levels[] = {1, 3, 4};
    for (int i = 0; i < 3; ++i)
        PutFunction(root, lightRoot, QString(QChar('A' + i)), enabled.contains(QChar('A' + i)) ? 1 : 0, levels[i]);
}

// The user's light settings as the registry editor would export them.
inline QString Export()
{
    QByteArray file;
    if (ExportRegFile(reg::Root::CurrentUser, kRoot, &file) != reg::ERROR_SUCCESS)
        return "<missing>";
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + 2), (file.size() - 2) / 2)
        .replace("\r\n", "\n");
}

} // namespace fixture
