#pragma once
// The operating-system services the start-up routine and the pages use, behind one interface so
// that tests can replace them: the instance lock, the client's window and update event, the
// program start for the broker, the UI language and the program's folder.

#include "platform/InstanceLock.h"
#include "platform/UiLanguage.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace app {

class ShellServices {
public:
    virtual ~ShellServices() = default;

    virtual platform::InstanceLock::Result CreateInstanceMutex() = 0;
    virtual void ReleaseInstanceMutex() = 0;
    // Whether this process holds the instance mutex; only its holder may replace the control
    // window of a copy that died.
    virtual bool HoldsInstanceMutex() { return false; }
    // Posts WM_CLOSE to the client's window when there is one.
    virtual void CloseClientWindow() = 0;
    virtual void SignalClientUpdate() = 0;
    // Posts a message to the top-level window of the class; false when there is none.
    virtual bool PostToWindow(const QString& windowClass, std::uint32_t message) = 0;
    virtual bool StartProgram(const QString& program, const QString& workingFolder) = 0;
    virtual platform::LANGID UserDefaultUILanguage() = 0;
    virtual QString ProgramFolder() = 0;
};

// The real services of this system.
class SystemServices : public ShellServices {
public:
    SystemServices();
    ~SystemServices() override;

    platform::InstanceLock::Result CreateInstanceMutex() override;
    void ReleaseInstanceMutex() override;
    bool HoldsInstanceMutex() override;
    void CloseClientWindow() override;
    void SignalClientUpdate() override;
    bool PostToWindow(const QString& windowClass, std::uint32_t message) override;
    bool StartProgram(const QString& program, const QString& workingFolder) override;
    platform::LANGID UserDefaultUILanguage() override;
    QString ProgramFolder() override;

private:
    platform::InstanceLock m_mutex;
};

// The services in use: the system's unless a test put others in place.
ShellServices& Services();
// nullptr returns to the system's services. Returns the previous override.
ShellServices* SetServices(ShellServices* services);

} // namespace app
