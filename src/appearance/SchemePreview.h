#pragma once
// A scheme as the client would draw it: the primary image as background when it loads, else the
// background colour; the masthead band when switched on; text in the font colour.

#include "appearance/SchemeItem.h"

#include <QImage>
#include <QWidget>

class SchemePreview : public QWidget {
    Q_OBJECT
public:
    explicit SchemePreview(QWidget* parent = nullptr);

    void SetScheme(const SchemeItem& item);
    // Nothing selected: an empty frame.
    void Clear();
    // Whether the primary image loaded, for tests and the accessible description.
    bool ShowsImage() const { return !m_image.isNull(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void LoadImage(const QString& path);

    SchemeItem m_item;
    bool m_empty = true;
    QString m_imagePath;
    QImage m_image;
};
