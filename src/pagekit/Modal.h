#pragma once
// Every modal question the utility asks goes through here, so that tests can answer it: a test
// installs a handler that receives the ready dialog and returns its result instead of a user.

#include <QMessageBox>

#include <functional>

class QDialog;

namespace ui {

using ModalHandler = std::function<int(QDialog&)>;

// Runs the dialog modally (or hands it to the test handler) and returns its result.
int ExecModal(QDialog& dialog);
// An empty handler returns to real modal runs. Returns the previous handler.
ModalHandler SetModalHandler(ModalHandler handler);

// A message box with the given owner; an empty caption leaves the system's default title.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);

// The two fixed messages of the feed handling: exclamation icon, one OK button.
int ShowInvalidFeedMessage(QWidget* owner);
int ShowDuplicateNameMessage(QWidget* owner);

} // namespace ui
