#include "shell/CustomizerWnd.h"

#include "pagekit/SheetWindow.h"
#include "platform/ControlChannel.h"
#include "platform/WindowMessages.h"
#include "settings/ShellServices.h"
#include "trace/Trace.h"


CCustomizerWnd::CCustomizerWnd() = default;

CCustomizerWnd::~CCustomizerWnd() = default;

bool CCustomizerWnd::Create()
{
    m_channel = std::make_unique<platform::ControlChannel>(platform::kCustomizerWndClass);
    connect(m_channel.get(), &platform::ControlChannel::messageReceived, this,
            &CCustomizerWnd::WindowProc);
    using Lock = platform::ControlChannel::Lock;
    return m_channel->create(app::Services().HoldsInstanceMutex() ? Lock::Held : Lock::NotHeld);
}

void CCustomizerWnd::DestroyWindow()
{
    if (m_channel)
        m_channel->destroy();
}

void CCustomizerWnd::WindowProc(std::uint32_t message)
{
    switch (message) {
    case platform::WM_CLOSE:
        TRACE("CCustomizerWnd: WM_CLOSE");
        ui::CloseSheetFromOutside();
        DestroyWindow();
        break;
    case platform::WM_BRING_TO_FRONT:
        if (const QPointer<QDialog> sheet = ui::SheetWindow())
            BringWindowToForeground(sheet);
        break;
    default:
        break;
    }
}

void BringWindowToForeground(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
