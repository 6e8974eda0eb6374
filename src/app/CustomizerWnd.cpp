#include "app/CustomizerWnd.h"

#include "app/ProcessState.h"
#include "app/QsCustSheet.h"
#include "app/ShellServices.h"
#include "platform/ControlChannel.h"
#include "platform/Trace.h"
#include "platform/WindowMessages.h"

#include <QMetaObject>

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
    QPointer<CQsCustSheet> sheet = CQsCustSheet::SheetWindow();
    switch (message) {
    case platform::WM_CLOSE:
        TRACE("CCustomizerWnd: WM_CLOSE");
        app::SetSettingsWritten(0);
        // Posted, as a Cancel command would be, so that a handler still running finishes first.
        if (sheet)
            QMetaObject::invokeMethod(sheet, &QDialog::reject, Qt::QueuedConnection);
        DestroyWindow();
        break;
    case platform::WM_BRING_TO_FRONT:
        if (sheet)
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
