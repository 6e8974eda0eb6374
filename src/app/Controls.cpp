#include "app/Controls.h"

#include <QWidget>
#include <QVariant>

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

} // namespace ui
