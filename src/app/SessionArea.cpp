// The session area of the main window: the question, the answer panels of every task kind, the
// answer grid and the bottom bar. Which panel shows when is decided by the session; the idle
// layout is ResetAnswerArea.
#include "SessionArea.h"

#include "MainFormTexts.h"
#include "model/Task.h"
#include "ui/gui/PictureLabel.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

// The marker of a point-on-picture answer and the rectangle of the right area.
class ShapeWidget : public QWidget {
public:
    enum Kind { Circle, Rectangle };
    ShapeWidget(Kind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (m_kind == Circle) {
            // A ring with a light halo and a dot at its centre: seen on dark, light and red
            // pictures alike, and the point itself stays visible through it.
            const QRectF ring = QRectF(rect()).adjusted(3, 3, -3, -3);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(255, 255, 255, 230), 5));
            p.drawEllipse(ring);
            p.setPen(QPen(QColor(10, 10, 10), 2.5));
            p.drawEllipse(ring);
            const QPointF centre = QRectF(rect()).center();
            p.setPen(QPen(Qt::white, 1));
            p.setBrush(QColor(20, 20, 20));
            p.drawEllipse(centre, 2, 2);
        } else {
            p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DotLine));
            p.setBrush(QBrush(QColor(192, 220, 192), Qt::DiagCrossPattern));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    Kind m_kind;
};

// Odd, so that the marker's centre falls on a pixel: the point the pupil clicked.
constexpr int MarkerSize = 21;

QWidget* Panel(const QString& name, QWidget* parent) {
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    return w;
}

QLabel* GreyLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(96, 96, 96));
    label->setPalette(pal);
    return label;
}

QLineEdit* AnswerEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setFont(QFont(QStringLiteral("Tahoma"), 10));
    return edit;
}

QPushButton* Button(const QString& name, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setMinimumWidth(150);
    // Only the check button answers Enter, wherever the focus is: "Я не знаю..." or "Пропустити..."
    // pressed by an Enter meant for the check would throw the task away. They act on a click or
    // on Space with the focus on them.
    b->setAutoDefault(false);
    return b;
}

// A button shows its command: caption, enabled state, visibility; a click runs it.
void BindButton(QPushButton* button, QAction* action) {
    auto sync = [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
        button->setVisible(action->isVisible());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

} // namespace

TSessionArea::TSessionArea(const SessionAreaActions& actions, QWidget* parent)
    : QWidget(parent), m_actions(actions) {
    setObjectName(QStringLiteral("PanelMain"));
    QWidget* central = this;
    auto* mainLayout = new QVBoxLayout(central);
    mainLayout->setContentsMargins(4, 4, 4, 0);
    mainLayout->setSpacing(3);

    auto* panel2 = Panel(QStringLiteral("Panel2"), central);
    auto* panel2Layout = new QHBoxLayout(panel2);
    panel2Layout->setContentsMargins(2, 0, 2, 0);
    m_questionLabel = GreyLabel(QStringLiteral("QuestionLabel"), panel2);
    panel2Layout->addWidget(m_questionLabel);
    mainLayout->addWidget(panel2);

    m_splitter = new QSplitter(Qt::Vertical, central);
    m_splitter->setObjectName(QStringLiteral("Splitter2"));
    m_splitter->setChildrenCollapsible(false);
    mainLayout->addWidget(m_splitter, 1);

    // The task: wording on the left, picture at the right.
    m_panelQuestion = Panel(QStringLiteral("PanelQuestion"), m_splitter);
    m_panelQuestion->setMinimumSize(400, 160);
    auto* questionLayout = new QHBoxLayout(m_panelQuestion);
    questionLayout->setContentsMargins(0, 0, 0, 0);
    m_questionText = new RichTextControl(m_panelQuestion);
    m_questionText->setObjectName(QStringLiteral("QuestionText"));
    questionLayout->addWidget(m_questionText, 1);
    m_questionImage = new PictureLabel(PictureLabel::Fit::Shrink, m_panelQuestion);
    m_questionImage->setObjectName(QStringLiteral("QuestionImage"));
    m_questionImage->setFixedWidth(160);
    m_questionImage->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_questionImage->setToolTip(MainFormTexts::QuestionImageHint.toString());
    m_questionImage->setCursor(Qt::PointingHandCursor);
    // Shown only while a task has a picture.
    m_questionImage->hide();
    m_questionImage->setEnabled(false);
    questionLayout->addWidget(m_questionImage);
    m_splitter->addWidget(m_panelQuestion);

    // The answer side: one panel per kind of answer, shown as the task needs.
    auto* answers = Panel(QStringLiteral("PanelAnswers"), m_splitter);
    auto* answerLayout = new QVBoxLayout(answers);
    answerLayout->setContentsMargins(0, 0, 0, 0);
    answerLayout->setSpacing(3);

    m_panelPromptTask = Panel(QStringLiteral("PanelPromptTask"), answers);
    auto* promptLayout = new QHBoxLayout(m_panelPromptTask);
    promptLayout->setContentsMargins(0, 0, 0, 0);
    m_promptButton = Button(QStringLiteral("BitBtn2"), m_panelPromptTask);
    promptLayout->addWidget(m_promptButton);
    promptLayout->addStretch(1);
    answerLayout->addWidget(m_panelPromptTask);

    auto* panelVariantInfo = Panel(QStringLiteral("PanelVariantInfo"), answers);
    auto* infoLayout = new QHBoxLayout(panelVariantInfo);
    infoLayout->setContentsMargins(2, 0, 2, 0);
    m_variantLabel = GreyLabel(QStringLiteral("VariantLabel"), panelVariantInfo);
    infoLayout->addWidget(m_variantLabel);
    answerLayout->addWidget(panelVariantInfo);

    // The edits sit centred vertically in their panels.
    m_panelInputNum = Panel(QStringLiteral("PanelInputNum"), answers);
    auto* numLayout = new QVBoxLayout(m_panelInputNum);
    m_editInputNum = AnswerEdit(QStringLiteral("EditInputNum"), m_panelInputNum);
    numLayout->addStretch(1);
    numLayout->addWidget(m_editInputNum);
    numLayout->addStretch(1);
    answerLayout->addWidget(m_panelInputNum, 1);

    m_panelInputText = Panel(QStringLiteral("PanelInputText"), answers);
    auto* textLayout = new QVBoxLayout(m_panelInputText);
    m_editInputText = AnswerEdit(QStringLiteral("EditInputText"), m_panelInputText);
    textLayout->addStretch(1);
    textLayout->addWidget(m_editInputText);
    textLayout->addStretch(1);
    answerLayout->addWidget(m_panelInputText, 1);

    m_panelImgRect = Panel(QStringLiteral("PanelImgRect"), answers);
    auto* imgLayout = new QVBoxLayout(m_panelImgRect);
    imgLayout->setContentsMargins(0, 0, 0, 0);
    m_scrollBox = new QScrollArea(m_panelImgRect);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox"));
    auto* canvas = Panel(QStringLiteral("ScrollBoxCanvas"), m_scrollBox);
    // The canvas takes the picture's size; the marks lie over it at their own positions.
    auto* canvasLayout = new QVBoxLayout(canvas);
    canvasLayout->setContentsMargins(0, 0, 0, 0);
    canvasLayout->setSizeConstraint(QLayout::SetFixedSize);
    m_image = new PictureLabel(PictureLabel::Fit::Natural, canvas);
    m_image->setObjectName(QStringLiteral("Image"));
    canvasLayout->addWidget(m_image);
    m_shapePoint = new ShapeWidget(ShapeWidget::Circle, canvas);
    m_shapePoint->setObjectName(QStringLiteral("ShapePoint"));
    m_shapePoint->resize(MarkerSize, MarkerSize);
    m_shapePoint->hide();
    m_shape = new ShapeWidget(ShapeWidget::Rectangle, canvas);
    m_shape->setObjectName(QStringLiteral("Shape"));
    m_shape->hide();
    m_shape->raise();
    m_shapePoint->raise();
    m_scrollBox->setWidget(canvas);
    imgLayout->addWidget(m_scrollBox);
    answerLayout->addWidget(m_panelImgRect, 1);

    m_panelVariant = Panel(QStringLiteral("PanelVariant"), answers);
    m_panelVariant->setMinimumSize(400, 150);
    auto* variantLayout = new QVBoxLayout(m_panelVariant);
    variantLayout->setContentsMargins(0, 0, 0, 0);
    variantLayout->addWidget(BuildAnswerGrid(m_panelVariant));
    answerLayout->addWidget(m_panelVariant, 1);
    m_splitter->addWidget(answers);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);

    // The task list of a session that allows skipping.
    m_panelGoToTask = Panel(QStringLiteral("PanelGoToTask"), central);
    auto* goToLayout = new QHBoxLayout(m_panelGoToTask);
    goToLayout->setContentsMargins(0, 0, 0, 0);
    m_comboBoxEx1 = new QComboBox(m_panelGoToTask);
    m_comboBoxEx1->setObjectName(QStringLiteral("ComboBoxEx1"));
    // The list never shows a chosen item; this says what it is for instead.
    m_comboBoxEx1->setPlaceholderText(MainFormTexts::TaskListPlaceholder.toString());
    m_comboBoxEx1->setIconSize(QSize(16, 16));
    // Its items carry whole wordings: sized by them, the list would make the window wider than the
    // screen. It takes the window's width and shows what fits.
    m_comboBoxEx1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_comboBoxEx1->setMinimumContentsLength(20);
    m_comboBoxEx1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_comboBoxEx1->setMaxVisibleItems(15);
    goToLayout->addWidget(m_comboBoxEx1);
    mainLayout->addWidget(m_panelGoToTask);

    // The bottom bar: skip at the left, check in the middle, "don't know" at the right, and the
    // progress along the bottom edge.
    auto* panel3 = Panel(QStringLiteral("Panel3"), central);
    auto* panel3Layout = new QVBoxLayout(panel3);
    panel3Layout->setContentsMargins(0, 2, 0, 0);
    panel3Layout->setSpacing(2);
    auto* buttons = new QHBoxLayout;
    m_skipButton = Button(QStringLiteral("BitBtn5"), panel3);
    m_goCheck = Button(QStringLiteral("BitBtnGoCheck"), panel3);
    m_goCheck->setDefault(true);
    m_goCheck->setAutoDefault(true);
    m_dontKnowButton = Button(QStringLiteral("BitBtn4"), panel3);
    buttons->addWidget(m_skipButton);
    buttons->addStretch(1);
    buttons->addWidget(m_goCheck);
    buttons->addStretch(1);
    buttons->addWidget(m_dontKnowButton);
    panel3Layout->addLayout(buttons);
    m_progress = new QProgressBar(panel3);
    m_progress->setObjectName(QStringLiteral("ProgressBarCountAskTask"));
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(8);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    panel3Layout->addWidget(m_progress);
    mainLayout->addWidget(panel3);

    // The buttons show their commands.
    BindButton(m_goCheck, m_actions.checkAskTask);
    BindButton(m_dontKnowButton, m_actions.iDoNotKnow);
    BindButton(m_skipButton, m_actions.skippingTask);
    BindButton(m_promptButton, m_actions.showPromptTask);
    // The grid's resizing and a click on the picture are seen here.
    m_gridPanel->installEventFilter(this);
    m_questionImage->installEventFilter(this);
}

bool TSessionArea::eventFilter(QObject* watched, QEvent* event) {
    // The window or the splitter changed the grid's size: matching texts share the width again.
    if (watched == m_gridPanel && event->type() == QEvent::Resize && m_panelVariant->isEnabled())
        GridPanelResize();
    if (watched == m_questionImage && event->type() == QEvent::MouseButtonRelease) {
        emit QuestionImageClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* TSessionArea::BuildAnswerGrid(QWidget* parent) {
    m_gridPanel = Panel(QStringLiteral("GridPanel"), parent);
    m_grid = new QGridLayout(m_gridPanel);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(2);
    m_grid->setVerticalSpacing(1);
    for (int r = 0; r < GridRows; ++r) {
        const QString n = QString::number(r);
        auto* mark = new QLabel(m_gridPanel);
        mark->setObjectName(QStringLiteral("VariantLabel1_") + n);
        QFont bold = mark->font();
        bold.setBold(true);
        mark->setFont(bold);
        mark->setAlignment(Qt::AlignCenter);
        auto* radio = new QRadioButton(m_gridPanel);
        radio->setObjectName(QStringLiteral("VariantRadioButton") + n);
        auto* check = new QCheckBox(m_gridPanel);
        check->setObjectName(QStringLiteral("VariantCheckBox") + n);
        auto* combo = new QComboBox(m_gridPanel);
        combo->setObjectName(QStringLiteral("VariantComboBox") + n);
        auto* re1 = new RichTextControl(m_gridPanel);
        re1->setObjectName(QStringLiteral("VariantRE_1_") + n);
        auto* number = new QLabel(m_gridPanel);
        number->setObjectName(QStringLiteral("VariantLabel2_") + n);
        number->setAlignment(Qt::AlignCenter);
        auto* re2 = new RichTextControl(m_gridPanel);
        re2->setObjectName(QStringLiteral("VariantRE_2_") + n);
        for (RichTextControl* re : {re1, re2}) {
            // Rows share the grid's height by their sizes, whatever the texts would like.
            re->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
            re->setMinimumHeight(0);
        }
        // The radio buttons of the rows form one group across the grid's cells.
        const std::array<QWidget*, GridColumns> cells = {mark, radio, check, combo, re1, number, re2};
        for (int c = 0; c < GridColumns; ++c)
            m_grid->addWidget(cells[size_t(c)], r, c, c == 4 || c == 6 ? Qt::Alignment() : Qt::AlignCenter);
        m_answerWidgets[size_t(SlotRE1 + r)] = re1;
        m_answerWidgets[size_t(SlotRE2 + r)] = re2;
        m_answerWidgets[size_t(SlotRadio + r)] = radio;
        m_answerWidgets[size_t(SlotCheck + r)] = check;
        m_answerWidgets[size_t(SlotCombo + r)] = combo;
        m_answerWidgets[size_t(SlotLabel1 + r)] = mark;
        m_answerWidgets[size_t(SlotLabel2 + r)] = number;
    }
    return m_gridPanel;
}

QList<RichTextControl*> TSessionArea::VariantTexts1() const {
    QList<RichTextControl*> list;
    for (int r = 0; r < GridRows; ++r)
        list.append(static_cast<RichTextControl*>(m_answerWidgets[size_t(SlotRE1 + r)]));
    return list;
}

QList<RichTextControl*> TSessionArea::VariantTexts2() const {
    QList<RichTextControl*> list;
    for (int r = 0; r < GridRows; ++r)
        list.append(static_cast<RichTextControl*>(m_answerWidgets[size_t(SlotRE2 + r)]));
    return list;
}

void TSessionArea::SetGridColumnSizes(const std::array<GridSize, GridColumns>& sizes) {
    m_columnSizes = sizes;
    ApplyGridSizes();
}

void TSessionArea::SetGridRowSizes(const std::array<GridSize, GridRows>& sizes) {
    m_rowSizes = sizes;
    ApplyGridSizes();
}

void TSessionArea::SetGridSizes(const std::array<GridSize, GridColumns>& columns,
                                const std::array<GridSize, GridRows>& rows) {
    m_columnSizes = columns;
    m_rowSizes = rows;
    ApplyGridSizes();
}

void TSessionArea::ApplyGridSizes() {
    for (int c = 0; c < GridColumns; ++c) {
        const GridSize s = m_columnSizes[size_t(c)];
        m_grid->setColumnStretch(c, s.percent ? s.value : 0);
        m_grid->setColumnMinimumWidth(c, s.percent ? 0 : s.value);
    }
    for (int r = 0; r < GridRows; ++r) {
        const GridSize s = m_rowSizes[size_t(r)];
        m_grid->setRowStretch(r, s.percent ? s.value : 0);
        m_grid->setRowMinimumHeight(r, s.percent ? 0 : s.value);
    }
    for (int r = 0; r < GridRows; ++r) {
        const bool rowShown = m_rowSizes[size_t(r)].value > 0;
        for (int c = 0; c < GridColumns; ++c) {
            QLayoutItem* item = m_grid->itemAtPosition(r, c);
            if (item && item->widget())
                item->widget()->setVisible(rowShown && m_columnSizes[size_t(c)].value > 0);
        }
    }
    GridPanelResize();
}

void TSessionArea::GridPanelResize() {
    // Matching: the right-hand texts get about the same width as the variants.
    if (m_columnSizes[6].value > 0) {
        int fixed = 0;
        for (int c : {0, 1, 2, 3, 5})
            fixed += m_columnSizes[size_t(c)].percent ? 0 : m_columnSizes[size_t(c)].value;
        const int width = std::max(0, (m_gridPanel->contentsRect().width() - fixed - 10) / 2);
        m_columnSizes[6] = {false, width};
        // Shared as equal stretches rather than a minimum width, so the window can still be made
        // narrower while a matching task is on screen.
        m_grid->setColumnMinimumWidth(6, 0);
        m_grid->setColumnStretch(6, std::max(m_columnSizes[4].value, 1));
    }
    // With a restored placement the drop-down lists are centred in their rows.
    if (m_columnSizes[0].value > 0 && m_centreLists) {
        for (int r = 0; r < GridRows; ++r) {
            QLayoutItem* item = m_grid->itemAtPosition(r, 3);
            if (item)
                item->setAlignment(Qt::AlignCenter);
        }
    }
    m_grid->invalidate();
}

void TSessionArea::ResetAnswerArea() {
    setUpdatesEnabled(false);
    RestoreAnswerSplit();
    m_panelVariant->setEnabled(false);
    m_panelVariant->show();
    for (QWidget* panel : {m_panelInputNum, m_panelInputText, m_panelImgRect}) {
        panel->setEnabled(false);
        panel->hide();
    }
    m_actions.showPromptTask->setEnabled(false);
    for (QWidget* panel : {m_panelPromptTask, m_panelGoToTask}) {
        panel->setEnabled(false);
        panel->hide();
    }
    m_columnSizes = {GridSize{false, 20}, {false, 40}, {false, 0}, {false, 0},
                     {true, 100},         {false, 0},  {false, 0}};
    for (int r = 0; r < GridRows; ++r) {
        ClearRichText(*static_cast<RichTextControl*>(m_answerWidgets[size_t(SlotRE1 + r)]));
        auto* radio = static_cast<QRadioButton*>(m_answerWidgets[size_t(SlotRadio + r)]);
        radio->setEnabled(false);
        // Radio buttons of one parent are exclusive: lift that to uncheck the checked one.
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
        static_cast<QLabel*>(m_answerWidgets[size_t(SlotLabel1 + r)])->clear();
        m_rowSizes[size_t(r)] = r < 5 ? GridSize{true, 20} : GridSize{false, 0};
    }
    ApplyGridSizes();
    m_questionLabel->setText(MainFormTexts::QuestionLabelIdle.toString());
    m_variantLabel->setText(MainFormTexts::VariantLabelIdle.toString().arg(5));
    ClearRichText(*m_questionText);
    for (QAction* action : {m_actions.iDoNotKnow, m_actions.skippingTask}) {
        action->setEnabled(false);
        action->setVisible(false);
    }
    setUpdatesEnabled(true);
}

void TSessionArea::FitAnswerPicture(const QSize& picture) {
    // The wording gives up height, down to its minimum, so that the picture of a point task can be
    // seen whole rather than scrolled; the pupil's own division comes back with the next task.
    if (!m_savedSplitter)
        m_savedSplitter = m_splitter->sizes();
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() != 2)
        return;
    const int total = sizes[0] + sizes[1];
    const int other = m_panelImgRect->parentWidget()->height() - m_scrollBox->viewport()->height();
    const int wanted = picture.height() + other;
    const int top = std::clamp(total - wanted, m_panelQuestion->minimumHeight(), sizes[0]);
    if (top != sizes[0])
        m_splitter->setSizes({top, total - top});
}

void TSessionArea::RestoreAnswerSplit() {
    if (m_savedSplitter)
        m_splitter->setSizes(*m_savedSplitter);
    m_savedSplitter.reset();
}

void TSessionArea::ApplyZoomToTexts(int zoom) {
    ApplyZoom(zoom, *window(), *m_questionText, VariantTexts1());
}

void TSessionArea::ResizeTaskTexts(int delta) {
    if (delta == 0)
        return;
    QWidget& w = *window();
    w.setUpdatesEnabled(false);
    ChangeRichTextSize(*m_questionText, delta);
    for (RichTextControl* text : VariantTexts1() + VariantTexts2())
        ChangeRichTextSize(*text, delta);
    w.setUpdatesEnabled(true);
}

bool TSessionArea::ChooseRowByDigit(int kind, int row) {
    auto focusCheck = [this] {
        if (m_goCheck->isEnabled())
            m_goCheck->setFocus();
    };
    switch (kind) {
    case SingleChoice: {
        auto* radio = static_cast<QRadioButton*>(AnswerWidget(SlotRadio + row));
        if (!radio->isEnabled() || !radio->isVisibleTo(this))
            return false;
        radio->click();
        focusCheck();
        return true;
    }
    case MultipleChoice: {
        auto* box = static_cast<QCheckBox*>(AnswerWidget(SlotCheck + row));
        if (!box->isEnabled() || !box->isVisibleTo(this))
            return false;
        box->click();
        focusCheck();
        return true;
    }
    case Ordering:
    case Matching:
    case TrueFalse: {
        auto* combo = static_cast<QComboBox*>(AnswerWidget(SlotCombo + row));
        if (!combo->isEnabled() || !combo->isVisibleTo(this) || combo->count() == 0)
            return false;
        // The session reacts to the choice through the list's activation, as for a click.
        const int next = combo->currentIndex() + 1 < combo->count() ? combo->currentIndex() + 1 : 0;
        combo->setCurrentIndex(next);
        emit combo->activated(next);
        focusCheck();
        return true;
    }
    default:
        return false;
    }
}
