#include "GuiTest.h"

#include "pagekit/Controls.h"
#include "platform/UserRights.h"
#include "platform/WindowMessages.h"
#include "platform/WindowsVersion.h"
#include "settings/Settings.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

bool FakeServices::PostToWindow(const QString& windowClass, std::uint32_t message)
{
    record(QStringLiteral("PostToWindow %1 0x%2").arg(windowClass).arg(message, 4, 16, QLatin1Char('0')));
    return deliverPosts && platform::PostWindowMessage(windowClass, message);
}

GuiEnvironment::GuiEnvironment() : m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    app::SetServices(&services);
    setRights(true, false);
}

GuiEnvironment::~GuiEnvironment()
{
    ui::SetModalHandler({});
    app::SetServices(nullptr);
    platform::OverrideUserRights({});
    platform::OverrideWindowsMajorVersion(0);
    settings::SetManagedMode(false);
    qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

void GuiEnvironment::setRights(bool administrator, bool elevated, int windowsMajor)
{
    platform::OverrideUserRights({administrator, elevated});
    platform::OverrideWindowsMajorVersion(windowsMajor);
}

QWidget* Control(QWidget* parent, int id) { return ui::FindControl(parent, id); }

void Click(QWidget* parent, int id) { static_cast<QAbstractButton*>(Control(parent, id))->click(); }

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

ui::ModalHandler ShowAndRun(std::function<void(QDialog&)> body)
{
    return [body = std::move(body)](QDialog& dialog) {
        dialog.show();
        body(dialog);
        WaitFor([&dialog] { return !dialog.isVisible(); });
        return dialog.result();
    };
}
