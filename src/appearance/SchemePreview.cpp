#include "appearance/SchemePreview.h"

#include "settings/StringTable.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

// A picture larger than this is not decoded for a preview.
constexpr qint64 kMaxImageBytes = 32 * 1024 * 1024;
constexpr QSize kMaxDecoded(1920, 1200);

} // namespace

SchemePreview::SchemePreview(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(res::LoadResString(res::appearance::IDS_SCHEME_PREVIEW));
    setMinimumSize(120, 90);
}

QSize SchemePreview::sizeHint() const { return {160, 120}; }

void SchemePreview::SetScheme(const SchemeItem& item)
{
    m_item = item;
    m_empty = false;
    LoadImage(item.BgImage);
    setAccessibleDescription(item.DisplayName);
    update();
}

void SchemePreview::Clear()
{
    m_empty = true;
    LoadImage(QString());
    setAccessibleDescription(QString());
    update();
}

void SchemePreview::LoadImage(const QString& path)
{
    if (path == m_imagePath)
        return;
    m_imagePath = path;
    m_image = QImage();
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || file.size() > kMaxImageBytes)
        return;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxDecoded.width() || size.height() > kMaxDecoded.height()))
        reader.setScaledSize(size.scaled(kMaxDecoded, Qt::KeepAspectRatio));
    m_image = reader.read();
}

void SchemePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), palette().window());
    if (!m_empty) {
        const QRect area = rect().adjusted(1, 1, -1, -1);
        painter.fillRect(area, scheme::ToQColor(m_item.BgColor));
        if (!m_image.isNull()) {
            // Cover the area, cut in the middle.
            const QSize drawn = m_image.size().scaled(area.size(), Qt::KeepAspectRatioByExpanding);
            const QRect target(area.center() - QPoint(drawn.width() / 2, drawn.height() / 2), drawn);
            painter.save();
            painter.setClipRect(area);
            painter.drawImage(target, m_image);
            painter.restore();
        }
        const QColor fontColor = scheme::ToQColor(m_item.FgColor);
        QRect textArea = area.adjusted(8, 6, -8, -6);
        if (m_item.UseMastHead) {
            const QRect band(area.left(), area.top(), area.width(), qMax(18, area.height() / 5));
            painter.fillRect(band, QColor(0, 0, 0, 120));
            QFont bold = font();
            bold.setBold(true);
            painter.setFont(bold);
            painter.setPen(fontColor);
            painter.drawText(band.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                             res::LoadResString(res::appearance::IDS_SCHEME_MASTHEAD));
            painter.setFont(font());
            textArea.setTop(band.bottom() + 6);
        }
        painter.setPen(fontColor);
        painter.drawText(textArea, Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, m_item.DisplayName);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
}
