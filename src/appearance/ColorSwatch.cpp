#include "appearance/ColorSwatch.h"

#include <QPainter>
#include <qdrawutil.h>

ColorSwatch::ColorSwatch(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void ColorSwatch::SetColor(const QColor& color)
{
    m_color = color;
    update();
}

QSize ColorSwatch::sizeHint() const { return {48, 24}; }

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect item = rect();
    painter.fillRect(item, palette().button());
    if (hasFocus()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(item.adjusted(0, 0, -1, -1));
    }
    item.adjust(1, 1, -1, -1);
    const QBrush fill(m_color);
    qDrawWinPanel(&painter, item, palette(), isDown(), &fill);
}
