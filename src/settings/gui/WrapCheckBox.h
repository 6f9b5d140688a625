#pragma once
// A check box whose text wraps onto further lines when the page is too narrow for it, so that a
// long caption is never cut off; the box stays beside the first line. A text that fits is drawn
// exactly as an ordinary check box draws it.
#include <QCheckBox>

class WrapCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit WrapCheckBox(const QString& text, QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    // Where the text starts, from the left edge.
    int TextLeft() const;
    // The text's height when wrapped to `width` pixels.
    int TextHeight(int width) const;
    bool Fits() const;
};
