#pragma once
// A colour swatch button: the colour in a frame that looks raised, and sunken while pressed, with
// a one-pixel focus frame round it while it has the focus.

#include <QAbstractButton>
#include <QColor>

class ColorSwatch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    QColor Color() const { return m_color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};
