#include "pagekit/SheetWindow.h"

#include "settings/SettingsWritten.h"

namespace ui {
namespace {

QPointer<QDialog> g_sheetWindow;

} // namespace

void SetSheetWindow(QDialog* sheet) { g_sheetWindow = sheet; }

QPointer<QDialog> SheetWindow() { return g_sheetWindow; }

void CloseSheetFromOutside()
{
    app::SetSettingsWritten(0);
    // Posted, as a Cancel command would be, so that a handler still running finishes first.
    if (const QPointer<QDialog> sheet = SheetWindow())
        QMetaObject::invokeMethod(sheet, &QDialog::reject, Qt::QueuedConnection);
}

} // namespace ui
