#pragma once
// A framed patch of one colour, as the colours page shows each highlight colour.
#include <QFrame>

class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    // 0x00BBGGRR, as the settings keep colours.
    quint32 Color() const { return m_color; }
    void SetColor(quint32 color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    quint32 m_color = 0;
};
