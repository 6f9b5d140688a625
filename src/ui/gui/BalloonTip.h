#pragma once
// A balloon tip beside a field: a bold title and a text, shown for a while or until the field's
// window hides. Unlike the toolkit's tool tip it does not vanish with the mouse click that caused
// it, and it is placed where it does not cover a button the user needs next.
#include <QFrame>
#include <QPointer>
#include <QTimer>

class QLabel;

class BalloonTip : public QFrame {
    Q_OBJECT
public:
    explicit BalloonTip(QWidget* owner);

    // Shows the tip at `field` for `milliseconds`, clear of `keepClear` (global rectangle).
    void ShowAt(QWidget* field, const QString& title, const QString& text, int milliseconds,
                const QRect& keepClear = {});
    QString Title() const;
    QString Text() const;

    // Where the tip goes: beside the field on the right when the screen has room, else below it,
    // else above it; never over `keepClear` when any of them avoids it. All rectangles global.
    static QRect Place(const QRect& field, const QSize& tip, const QRect& screen, const QRect& keepClear);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_title;
    QLabel* m_text;
    QTimer m_timer;
    QPointer<QWidget> m_window;
};
