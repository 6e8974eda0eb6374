#include "settings/ShellServices.h"

#include "platform/NamedEvent.h"
#include "platform/ProcessStart.h"
#include "platform/WindowMessages.h"

#include <QCoreApplication>

#include <utility>

namespace app {

SystemServices::SystemServices() : m_mutex(platform::kInstanceMutexName) {}

SystemServices::~SystemServices() = default;

platform::InstanceLock::Result SystemServices::CreateInstanceMutex() { return m_mutex.acquire(); }

void SystemServices::ReleaseInstanceMutex() { m_mutex.release(); }

bool SystemServices::HoldsInstanceMutex() { return m_mutex.isHeld(); }

void SystemServices::CloseClientWindow()
{
    platform::PostWindowMessage(platform::kClientWndClass, platform::WM_CLOSE);
}

void SystemServices::SignalClientUpdate() { platform::SignalNamedEvent(platform::kUpdateEventName); }

bool SystemServices::PostToWindow(const QString& windowClass, std::uint32_t message)
{
    return platform::PostWindowMessage(windowClass, message);
}

bool SystemServices::StartProgram(const QString& program, const QString& workingFolder)
{
    return platform::StartProgram(program, {}, workingFolder);
}

platform::LANGID SystemServices::UserDefaultUILanguage() { return platform::GetUserDefaultUILanguage(); }

QString SystemServices::ProgramFolder() { return QCoreApplication::applicationDirPath(); }

namespace {
ShellServices* g_override = nullptr;
}

ShellServices& Services()
{
    static SystemServices system;
    return g_override ? *g_override : system;
}

ShellServices* SetServices(ShellServices* services) { return std::exchange(g_override, services); }

} // namespace app
