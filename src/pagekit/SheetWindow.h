#pragma once
// The sheet's dialog, known to the pages without their knowing the sheet: stored once the sheet's
// dialog is initialised, it stays stored after the sheet is gone.

#include <QDialog>
#include <QPointer>

namespace ui {

void SetSheetWindow(QDialog* sheet);
QPointer<QDialog> SheetWindow();

// Closes the sheet as a close request from outside does: cancelled, nothing saved, and the
// settings-written flag cleared so that the client is not told.
void CloseSheetFromOutside();

} // namespace ui
