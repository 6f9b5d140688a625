#pragma once
// A page control whose tabs wrap into as many rows as its width needs, each row filling the width,
// so that a narrow dialog with many pages shows every tab at once instead of scrolling them. The
// pages are an ordinary QTabWidget (its own single-row bar hidden), so its API, its page switching
// and its Ctrl+Tab stay as they are; this widget only draws and handles the rows of tabs above it.
#include <QList>
#include <QRect>
#include <QWidget>

class QTabWidget;

class MultiRowTabWidget : public QWidget {
    Q_OBJECT
public:
    explicit MultiRowTabWidget(QWidget* parent = nullptr);

    QTabWidget* Pages() const { return m_pages; }
    // The rows of tabs: it takes the focus, the arrow keys and mouse clicks.
    QWidget* Tabs() const { return m_tabs; }
    // Where tab `index` is drawn, in this widget's coordinates.
    QRect TabRect(int index) const;
    int RowCount() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();

    QTabWidget* m_pages;
    QWidget* m_tabs;
};
