#include "pagekit/Controls.h"

#include "settings/ResourceIds.h"
#include "settings/StringTable.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QObject>
#include <QPushButton>
#include <QVariant>
#include <QWidget>

namespace ui {

QString StripMnemonic(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        text += caption[i];
    }
    return text;
}

void BindControl(QWidget* control, int controlId, const QString& caption)
{
    control->setProperty(kControlIdProperty, controlId);
    if (!caption.isEmpty())
        control->setAccessibleName(StripMnemonic(caption));
}

int ControlId(const QWidget* control)
{
    const QVariant id = control->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

QWidget* FindControl(const QWidget* parent, int controlId)
{
    const auto children = parent->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (ControlId(child) == controlId)
            return child;
    }
    return nullptr;
}

namespace {

class FocusWhenShown : public QObject {
public:
    explicit FocusWhenShown(QWidget* control) : QObject(control) { control->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            static_cast<QWidget*>(watched)->setFocus();
            deleteLater();
        }
        return false;
    }
};

} // namespace

void GiveFocus(QWidget* control)
{
    control->setFocus();
    if (!control->isVisible())
        new FocusWhenShown(control);
}

QLabel* StatusLine(int controlId, const QString& text)
{
    auto* line = new QLabel(text);
    line->setTextFormat(Qt::PlainText);
    line->setWordWrap(true);
    BindControl(line, controlId);
    line->hide();
    return line;
}

QHBoxLayout* ButtonRow(std::initializer_list<std::pair<QPushButton*, int>> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (auto [button, id] : buttons) {
        BindControl(button, id, button->text());
        row->addWidget(button);
    }
    return row;
}

QPushButton* TemplateButton(unsigned dialogId, int controlId)
{
    auto* button = new QPushButton(res::LoadDialogText(dialogId, controlId));
    BindControl(button, controlId, button->text());
    return button;
}

QHBoxLayout* OkCancelRow(unsigned dialogId, QPushButton** ok, QPushButton** cancel)
{
    *ok = TemplateButton(dialogId, res::IDOK);
    (*ok)->setDefault(true);
    *cancel = TemplateButton(dialogId, res::IDCANCEL);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(*ok);
    row->addWidget(*cancel);
    return row;
}

} // namespace ui
