#include "MultiRowTabWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <functional>

namespace {

// The pages; tells its owner whenever a page comes or goes.
class PagesWidget : public QTabWidget {
public:
    explicit PagesWidget(QWidget* parent) : QTabWidget(parent) {}
    std::function<void()> changed;

protected:
    void tabInserted(int) override { Changed(); }
    void tabRemoved(int) override { Changed(); }

private:
    void Changed() {
        // The bar of its own stays hidden: the rows above draw the tabs.
        tabBar()->hide();
        if (changed)
            changed();
    }
};

// The rows of tabs, drawn with the style's own tab shapes.
class TabRows : public QWidget {
public:
    explicit TabRows(QWidget* parent) : QWidget(parent) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
        setMouseTracking(true);
    }
    void SetPages(QTabWidget& pages) {
        m_pages = &pages;
        connect(m_pages, &QTabWidget::currentChanged, this, [this] { update(); });
    }

    // The tabs laid out for `width`: filled row by row in page order, every row stretched to the
    // whole width.
    QList<QRect> Layout(int width) const {
        const int count = m_pages->count();
        QList<QRect> rects(count);
        QList<QList<int>> rows;
        int used = 0;
        for (int i = 0; i < count; ++i) {
            const int w = TabSize(i).width();
            if (rows.isEmpty() || (used + w > width && !rows.last().isEmpty())) {
                rows.append(QList<int>());
                used = 0;
            }
            rows.last().append(i);
            used += w;
        }
        // The row of the current tab lies next to the pages, as on a card index: the others keep
        // their order above it.
        const int current = m_pages->currentIndex();
        for (qsizetype r = 0; r < rows.size(); ++r) {
            if (rows[r].contains(current)) {
                rows.append(rows.takeAt(r));
                break;
            }
        }
        const int h = RowHeight();
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QList<int>& row = rows[r];
            int natural = 0;
            for (int i : row)
                natural += TabSize(i).width();
            const int extra = std::max(0, width - natural);
            int x = 0;
            for (qsizetype k = 0; k < row.size(); ++k) {
                // The room left over is shared out evenly; the last tab takes what rounding leaves.
                int w = TabSize(row[k]).width() + extra / int(row.size());
                if (k == row.size() - 1)
                    w = std::max(w, width - x);
                rects[row[k]] = QRect(x, int(r) * h, w, h);
                x += w;
            }
        }
        return rects;
    }

    int RowsFor(int width) const {
        int rows = 0;
        for (const QRect& r : Layout(width))
            rows = std::max(rows, r.bottom() / std::max(1, RowHeight()) + 1);
        return rows;
    }
    int RowHeight() const {
        int h = 0;
        for (int i = 0; i < m_pages->count(); ++i)
            h = std::max(h, TabSize(i).height());
        return h;
    }
    int WidestTab() const {
        int w = 0;
        for (int i = 0; i < m_pages->count(); ++i)
            w = std::max(w, TabSize(i).width());
        return w;
    }

    void SetRects(QList<QRect> rects) {
        m_rects = std::move(rects);
        update();
    }
    QRect Rect(int index) const { return index >= 0 && index < m_rects.size() ? m_rects[index] : QRect(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        const int current = m_pages->currentIndex();
        // The current tab last, so that it lies over its neighbours.
        for (int i = 0; i < m_rects.size(); ++i) {
            if (i != current)
                DrawTab(p, i);
        }
        if (current >= 0 && current < m_rects.size())
            DrawTab(p, current);
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        const int i = TabAt(event->position().toPoint());
        if (i >= 0 && m_pages->isTabEnabled(i))
            m_pages->setCurrentIndex(i);
    }
    void mouseMoveEvent(QMouseEvent* event) override { SetHovered(TabAt(event->position().toPoint())); }
    void leaveEvent(QEvent*) override { SetHovered(-1); }

    void keyPressEvent(QKeyEvent* event) override {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            Step(-1, false);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            Step(1, false);
            return;
        case Qt::Key_Home:
            StepFrom(-1, 1);
            return;
        case Qt::Key_End:
            StepFrom(m_pages->count(), -1);
            return;
        case Qt::Key_Tab:
            if (ctrl) {
                Step(1, true);
                return;
            }
            break;
        case Qt::Key_Backtab:
            if (ctrl) {
                Step(-1, true);
                return;
            }
            break;
        default:
            break;
        }
        QWidget::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override {
        update();
        QWidget::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        update();
        QWidget::focusOutEvent(event);
    }

private:
    QSize TabSize(int index) const {
        QStyleOptionTab opt;
        InitOption(opt, index);
        const int hframe = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this);
        const int vframe = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, opt.text);
        return style()->sizeFromContents(QStyle::CT_TabBarTab, &opt,
                                         QSize(text.width() + hframe, fontMetrics().height() + vframe), this);
    }

    void InitOption(QStyleOptionTab& opt, int index) const {
        opt.initFrom(this);
        opt.shape = QTabBar::RoundedNorth;
        opt.text = m_pages->tabText(index);
        opt.tabIndex = index;
        opt.rect = Rect(index);
        opt.documentMode = false;
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver | QStyle::State_Selected);
        if (!m_pages->isTabEnabled(index))
            opt.state &= ~QStyle::State_Enabled;
        const int current = m_pages->currentIndex();
        if (index == current) {
            opt.state |= QStyle::State_Selected;
            if (hasFocus())
                opt.state |= QStyle::State_HasFocus;
        }
        if (index == m_hovered)
            opt.state |= QStyle::State_MouseOver;
        // The place of the tab within its row.
        const QRect r = Rect(index);
        const bool first = r.left() == 0;
        const bool last = r.right() >= width() - 1;
        opt.position = first && last ? QStyleOptionTab::OnlyOneTab
                       : first       ? QStyleOptionTab::Beginning
                       : last        ? QStyleOptionTab::End
                                     : QStyleOptionTab::Middle;
        opt.row = r.top() / std::max(1, r.height());
        const QRect c = Rect(current);
        opt.selectedPosition = QStyleOptionTab::NotAdjacent;
        if (c.isValid() && c.top() == r.top()) {
            if (c.left() == r.right() + 1)
                opt.selectedPosition = QStyleOptionTab::NextIsSelected;
            else if (c.right() + 1 == r.left())
                opt.selectedPosition = QStyleOptionTab::PreviousIsSelected;
        }
    }

    void DrawTab(QStylePainter& p, int index) {
        QStyleOptionTab opt;
        InitOption(opt, index);
        p.drawControl(QStyle::CE_TabBarTab, opt);
        if (opt.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = style()->subElementRect(QStyle::SE_TabBarTabText, &opt, this).adjusted(-2, 0, 2, 0);
            p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }

    int TabAt(const QPoint& pos) const {
        for (int i = 0; i < m_rects.size(); ++i) {
            if (m_rects[i].contains(pos))
                return i;
        }
        return -1;
    }

    void SetHovered(int index) {
        if (m_hovered == index)
            return;
        m_hovered = index;
        update();
    }

    // The next enabled tab from the current one in direction `dir`; `wrap` goes round the ends.
    void Step(int dir, bool wrap) {
        const int count = m_pages->count();
        int i = m_pages->currentIndex();
        for (int n = 0; n < count; ++n) {
            i += dir;
            if (i < 0 || i >= count) {
                if (!wrap)
                    return;
                i = (i + count) % count;
            }
            if (m_pages->isTabEnabled(i)) {
                m_pages->setCurrentIndex(i);
                return;
            }
        }
    }
    void StepFrom(int start, int dir) {
        for (int i = start + dir; i >= 0 && i < m_pages->count(); i += dir) {
            if (m_pages->isTabEnabled(i)) {
                m_pages->setCurrentIndex(i);
                return;
            }
        }
    }

    QTabWidget* m_pages = nullptr;
    QList<QRect> m_rects;
    int m_hovered = -1;
};

TabRows& Rows(QWidget* w) {
    return *static_cast<TabRows*>(w);
}

} // namespace

MultiRowTabWidget::MultiRowTabWidget(QWidget* parent) : QWidget(parent) {
    // The tabs are made first, so that they come first when the focus goes round the window.
    auto* rows = new TabRows(this);
    m_tabs = rows;
    m_tabs->setObjectName(QStringLiteral("PageTabs"));
    auto* pages = new PagesWidget(this);
    m_pages = pages;
    m_pages->tabBar()->hide();
    rows->SetPages(*m_pages);
    pages->changed = [this] {
        updateGeometry();
        Relayout();
    };
    // The page control's own bar is hidden and takes no focus; the rows of tabs take it instead.
    m_pages->setFocusPolicy(Qt::NoFocus);
    connect(m_pages, &QTabWidget::currentChanged, this, [this] {
        Relayout();
        // A page with nothing to focus (all its controls disabled) leaves the focus on the tabs,
        // not nowhere.
        const QWidget* focus = QApplication::focusWidget();
        if (isActiveWindow() && (!focus || !focus->isVisible() || focus == m_pages->tabBar()))
            m_tabs->setFocus(Qt::TabFocusReason);
    });
}

int MultiRowTabWidget::RowCount() const {
    return Rows(m_tabs).RowsFor(width());
}

QRect MultiRowTabWidget::TabRect(int index) const {
    return Rows(m_tabs).Rect(index).translated(m_tabs->pos());
}

namespace {
int Overlap(const QWidget& w) {
    return w.style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, &w);
}
} // namespace

int MultiRowTabWidget::heightForWidth(int width) const {
    const TabRows& rows = Rows(m_tabs);
    const int tabs = rows.RowsFor(width) * rows.RowHeight();
    // The tallest page at this width, in the pages' frame. (The page control's own answer counts
    // its hidden bar.)
    QStyleOptionTabWidgetFrame opt;
    opt.initFrom(m_pages);
    const QSize frame = style()->sizeFromContents(QStyle::CT_TabWidget, &opt, QSize(0, 0), m_pages);
    const int inner = width - frame.width();
    int page = 0;
    for (int i = 0; i < m_pages->count(); ++i) {
        const QWidget* w = m_pages->widget(i);
        int h = w->layout() ? w->layout()->totalHeightForWidth(inner) : -1;
        if (h < 0)
            h = w->minimumSizeHint().height();
        page = std::max(page, h);
    }
    return tabs - Overlap(*this) + page + frame.height();
}

QSize MultiRowTabWidget::sizeHint() const {
    const int w = std::max(m_pages->sizeHint().width(), Rows(m_tabs).WidestTab());
    return {w, heightForWidth(w)};
}

QSize MultiRowTabWidget::minimumSizeHint() const {
    const int w = std::max(m_pages->minimumSizeHint().width(), Rows(m_tabs).WidestTab());
    return {w, heightForWidth(w)};
}

void MultiRowTabWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void MultiRowTabWidget::Relayout() {
    TabRows& rows = Rows(m_tabs);
    const QList<QRect> rects = rows.Layout(width());
    int tabsHeight = 0;
    for (const QRect& r : rects)
        tabsHeight = std::max(tabsHeight, r.bottom() + 1);
    const int overlap = Overlap(*this);
    m_tabs->setGeometry(0, 0, width(), tabsHeight);
    m_pages->setGeometry(0, tabsHeight - overlap, width(), std::max(0, height() - tabsHeight + overlap));
    rows.SetRects(rects);
    // Over the top edge of the pages' frame, which the current tab covers.
    m_tabs->raise();
}
