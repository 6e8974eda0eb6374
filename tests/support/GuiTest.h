#pragma once
// Helpers of the widget tests: the rights and services a test injects, modal answers, and
// waiting on the event loop with a bound.

#include "TempStore.h"
#include "pagekit/Modal.h"
#include "settings/ShellServices.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// Records every call the utility makes to the system and answers as set up.
class FakeServices : public app::ShellServices {
public:
    platform::InstanceLock::Result CreateInstanceMutex() override { record("CreateInstanceMutex"); return mutexResult; }
    void ReleaseInstanceMutex() override { record("ReleaseInstanceMutex"); }
    bool HoldsInstanceMutex() override { return mutexResult == platform::InstanceLock::Result::Acquired; }
    void CloseClientWindow() override { record("CloseClientWindow"); }
    void SignalClientUpdate() override { record("SignalClientUpdate"); }
    bool PostToWindow(const QString& windowClass, std::uint32_t message) override;
    bool StartProgram(const QString& program, const QString& folder) override
    {
        record(QStringLiteral("StartProgram %1 in %2").arg(program, folder));
        return true;
    }
    platform::LANGID UserDefaultUILanguage() override { return language; }
    QString ProgramFolder() override { return programFolder; }

    platform::InstanceLock::Result mutexResult = platform::InstanceLock::Result::Acquired;
    // Post WM_CLOSE to the utility's own window for real (through the control channel).
    bool deliverPosts = false;
    platform::LANGID language = 0x0409;
    QString programFolder;
    QStringList calls;

private:
    void record(const QString& call) { calls << call; }
};

// Everything a widget test changes process-wide, put back at the end: store, rights, Windows
// version, managed mode, services, the modal handler, the runtime folder of the local sockets.
class GuiEnvironment {
public:
    GuiEnvironment();
    ~GuiEnvironment();

    void setRights(bool administrator, bool elevated, int windowsMajor = 10);
    void setModalHandler(ui::ModalHandler handler) { ui::SetModalHandler(std::move(handler)); }

    TempStore store;
    FakeServices services;

private:
    QTemporaryDir m_runtime;
    QByteArray m_oldRuntime;
};

// The control with a dialog control id below parent, and a click on such a button.
QWidget* Control(QWidget* parent, int id);
void Click(QWidget* parent, int id);

// Runs the event loop until the condition holds or the time is up; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// A modal handler that shows the dialog, runs body on it, and returns its result once closed.
ui::ModalHandler ShowAndRun(std::function<void(QDialog&)> body);
