#pragma once
// The hidden control window through which other programs, and the utility itself after an
// elevation request, close the utility (WM_CLOSE: as if Cancel were pressed, without notifying
// the client) or bring the sheet to the front (0x0501).

#include <QObject>

#include <cstdint>
#include <memory>

class QWidget;

namespace platform {
class ControlChannel;
}

class CCustomizerWnd : public QObject {
    Q_OBJECT
public:
    CCustomizerWnd();
    ~CCustomizerWnd() override;

    bool Create();
    void DestroyWindow();

    // What each message does; the channel delivers them on the UI thread.
    void WindowProc(std::uint32_t message);

private:
    std::unique_ptr<platform::ControlChannel> m_channel;
};

// Shows the window above the others and gives it the input focus.
void BringWindowToForeground(QWidget* window);
