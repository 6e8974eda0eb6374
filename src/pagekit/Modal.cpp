#include "pagekit/Modal.h"

#include "settings/StringTable.h"

#include <QDialog>

namespace ui {
namespace {

ModalHandler& Handler()
{
    static ModalHandler handler;
    return handler;
}

constexpr int kMaxMessageChars = 260;

int ShowFixedMessage(QWidget* owner, unsigned stringId)
{
    return ShowMessageBox(owner, res::LoadResString(stringId).left(kMaxMessageChars), QString(),
                          QMessageBox::Warning, QMessageBox::Ok);
}

} // namespace

int ExecModal(QDialog& dialog)
{
    if (Handler())
        return Handler()(dialog);
    return dialog.exec();
}

ModalHandler SetModalHandler(ModalHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, owner);
    box.setObjectName(QStringLiteral("messageBox"));
    return ExecModal(box);
}

int ShowInvalidFeedMessage(QWidget* owner) { return ShowFixedMessage(owner, res::IDS_INVALID_FEED); }

int ShowDuplicateNameMessage(QWidget* owner)
{
    return ShowFixedMessage(owner, res::IDS_DUPLICATE_NAME);
}

} // namespace ui
