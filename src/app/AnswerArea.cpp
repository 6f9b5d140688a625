#include "AnswerArea.h"

#include "SessionArea.h"
#include "model/TextCodec.h"
#include "ui/gui/PictureLabel.h"
#include "ui/gui/PictureLoader.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

using Columns = std::array<GridSize, TSessionArea::GridColumns>;

// Column sizes of the answer grid per kind: mark, radio button, check box, drop-down
// list, variant, number of the right-hand item, right-hand item.
Columns ColumnSizesOf(int kind) {
    const GridSize mark{false, 20};
    const GridSize button{false, 40};
    const GridSize none{false, 0};
    const GridSize rest{true, 100};
    switch (kind) {
    case MultipleChoice:
        return {mark, none, button, none, rest, none, none};
    case Ordering:
    case TrueFalse:
        return {mark, none, none, button, rest, none, none};
    case Matching:
        // The right-hand column's width is worked out by GridPanelResize.
        return {mark, none, none, button, rest, GridSize{false, 20}, GridSize{false, 200}};
    default:
        return {mark, button, none, none, rest, none, none};
    }
}

// 0x00BBGGRR, as the settings keep colours.
QColor ColourOf(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// Suspends the window's redrawing for the lifetime of the guard, unless someone already did.
class NoRedraw {
public:
    explicit NoRedraw(QWidget& w) : m_w(w), m_was(w.updatesEnabled()) {
        if (m_was)
            m_w.setUpdatesEnabled(false);
    }
    ~NoRedraw() {
        if (m_was)
            m_w.setUpdatesEnabled(true);
    }
    NoRedraw(const NoRedraw&) = delete;
    NoRedraw& operator=(const NoRedraw&) = delete;

private:
    QWidget& m_w;
    bool m_was;
};

QString NoChoiceText() {
    return QStringLiteral("—");
}

void Uncheck(QRadioButton& radio) {
    // Radio buttons of one parent are exclusive: lift that to uncheck the checked one.
    radio.setAutoExclusive(false);
    radio.setChecked(false);
    radio.setAutoExclusive(true);
}

} // namespace

AnswerArea::AnswerArea(TSessionArea& area, QAction& check, Prompts& prompts, const QLocale& locale)
    : QObject(&area), m_area(area), m_check(check), m_prompts(prompts), m_locale(locale) {
    Beep = [] { QApplication::beep(); };
    // Every touch of an answer widget may make the answer checkable.
    for (int r = 0; r < TSessionArea::GridRows; ++r) {
        connect(&Radio(r), &QRadioButton::clicked, this, [this] { VariantClick(); });
        connect(&Check(r), &QCheckBox::clicked, this, [this] { VariantClick(); });
        connect(&Combo(r), &QComboBox::activated, this, [this] { VariantClick(); });
        // One width for every list, wide enough for "10", "Так" and "Ні", so the texts do not
        // move when the items or the feedback colours change.
        const QFontMetrics metrics = Combo(r).fontMetrics();
        const int widest = std::max({metrics.horizontalAdvance(QStringLiteral("10")),
                                     metrics.horizontalAdvance(NoChoiceText()),
                                     metrics.horizontalAdvance(QStringLiteral("Так")),
                                     metrics.horizontalAdvance(QStringLiteral("Ні"))});
        Combo(r).setFixedWidth(widest + 2 * metrics.height() + 12);
    }
    for (QLineEdit* edit : {area.EditInputNum(), area.EditInputText()})
        connect(edit, &QLineEdit::textEdited, this, [this] { VariantClick(); });
    m_editInputNum = area.EditInputNum();
    m_image = area.Image();
    m_editInputNum->installEventFilter(this);
    m_image->installEventFilter(this);
    // The picture of a point task is aimed at.
    area.Image()->setCursor(Qt::CrossCursor);
}

RichTextControl& AnswerArea::VariantText1(int r) const {
    return *static_cast<RichTextControl*>(m_area.AnswerWidget(TSessionArea::SlotRE1 + r));
}
RichTextControl& AnswerArea::VariantText2(int r) const {
    return *static_cast<RichTextControl*>(m_area.AnswerWidget(TSessionArea::SlotRE2 + r));
}
QRadioButton& AnswerArea::Radio(int r) const {
    return *static_cast<QRadioButton*>(m_area.AnswerWidget(TSessionArea::SlotRadio + r));
}
QCheckBox& AnswerArea::Check(int r) const {
    return *static_cast<QCheckBox*>(m_area.AnswerWidget(TSessionArea::SlotCheck + r));
}
QComboBox& AnswerArea::Combo(int r) const {
    return *static_cast<QComboBox*>(m_area.AnswerWidget(TSessionArea::SlotCombo + r));
}
QLabel& AnswerArea::Mark(int r) const {
    return *static_cast<QLabel*>(m_area.AnswerWidget(TSessionArea::SlotLabel1 + r));
}
QLabel& AnswerArea::Number(int r) const {
    return *static_cast<QLabel*>(m_area.AnswerWidget(TSessionArea::SlotLabel2 + r));
}

void AnswerArea::SetCheckEnabled(bool on) {
    m_check.setEnabled(on);
}

// ---------------------------------------------------------------- presenting

void AnswerArea::BuildAnswerArea(const TTask& task) {
    TSessionArea& f = m_area;
    for (QWidget* panel : {f.PanelVariant(), f.PanelInputNum(), f.PanelInputText(), f.PanelImgRect()}) {
        panel->setEnabled(false);
        panel->hide();
    }
    // Colours of an earlier feedback never outlive it, but a session may end inside one.
    ClearFeedback();
    f.ShapePoint()->hide();
    f.Shape()->hide();
    m_pointSet = false;
    if (TTask::HasVariants(task.Kind)) {
        f.PanelVariant()->setEnabled(true);
        f.PanelVariant()->show();
        for (int r = 0; r < TSessionArea::GridRows; ++r) {
            Mark(r).clear();
            Number(r).clear();
            for (RichTextControl* text : {&VariantText1(r), &VariantText2(r)}) {
                ClearRichText(*text);
                text->setEnabled(false);
            }
            Radio(r).setEnabled(false);
            Uncheck(Radio(r));
            Check(r).setEnabled(false);
            Check(r).setChecked(false);
            Combo(r).setEnabled(false);
            Combo(r).clear();
        }
        // At least four rows of height, so a short list does not stretch over the whole area.
        const int b = std::max({task.LastVariant(), task.LastMatch(), 4});
        std::array<GridSize, TSessionArea::GridRows> rows;
        for (int r = 0; r < TSessionArea::GridRows; ++r)
            rows[size_t(r)] = r < b ? GridSize{true, 100 / b} : GridSize{false, 0};
        f.SetGridSizes(ColumnSizesOf(task.Kind), rows);
        // Rows 0 to 4 keep their list, empty and disabled where the row has no variant, as the
        // radio buttons of a short single choice do; from row 5 on a list shows only beside a
        // variant.
        for (int r = 5; r < TSessionArea::GridRows; ++r)
            Combo(r).hide();
        f.Grid()->activate();
    } else if (task.Kind == InputNum || task.Kind == InputText) {
        QWidget* panel = task.Kind == InputNum ? f.PanelInputNum() : f.PanelInputText();
        panel->setEnabled(true);
        panel->show();
    } else if (task.Kind == PointOnPicture) {
        f.PanelImgRect()->setEnabled(true);
        f.PanelImgRect()->show();
    }
}

void AnswerArea::Present(const TaskPresentation& p, const QString& pictureFolder) {
    const TTask& task = *p.task;
    TSessionArea& f = m_area;
    NoRedraw suspended(f);
    m_kind = task.Kind;
    m_rows = TTask::HasVariants(m_kind) ? int(p.variantOrder.size()) : 0;
    BuildAnswerArea(task);
    for (int r = 0; r < m_rows; ++r) {
        const qint32 v = p.variantOrder[r];
        if (v < 0 || v >= TTask::SlotCount)
            continue;
        LoadRichText(task.Variants[size_t(v)], VariantText1(r), false);
        VariantText1(r).setEnabled(true);
        QComboBox& list = Combo(r);
        switch (m_kind) {
        case SingleChoice:
            Radio(r).setEnabled(true);
            break;
        case MultipleChoice:
            Check(r).setEnabled(true);
            break;
        case Ordering:
        case Matching: {
            const int items = m_kind == Ordering ? m_rows : task.LastMatch();
            for (int i = 1; i <= items; ++i)
                list.addItem(QString::number(i));
            break;
        }
        case TrueFalse:
            // The first item stands for "no choice" and is stored as nothing; a pupil must see it.
            list.addItems({NoChoiceText(), QStringLiteral("Так"), QStringLiteral("Ні")});
            break;
        default:
            break;
        }
        if (m_kind == Ordering || m_kind == Matching || m_kind == TrueFalse) {
            // No item is chosen until the pupil chooses one.
            list.setCurrentIndex(-1);
            list.show();
            list.setEnabled(true);
        }
    }
    if (m_kind == Matching) {
        // The right-hand column stays in stored order, numbered.
        for (int j = 0; j < task.LastMatch() && j < TSessionArea::GridRows; ++j) {
            LoadRichText(task.Matches[size_t(j)], VariantText2(j), false);
            VariantText2(j).setEnabled(true);
            Number(j).setText(QString::number(j + 1));
        }
    }
    if (m_kind == InputNum || m_kind == InputText)
        (m_kind == InputNum ? f.EditInputNum() : f.EditInputText())->clear();
    if (m_kind == PointOnPicture) {
        LoadAnswerPicture(*f.Image(), TextCodec::FromCp1251(task.Picture), pictureFolder, m_prompts);
        // The canvas takes the picture's size at once, so the first click lands where it is seen.
        f.ScrollBox()->widget()->adjustSize();
        f.Grid()->activate();
        f.layout()->activate();
        f.FitAnswerPicture(f.Image()->pixmap().size());
        f.ScrollBox()->horizontalScrollBar()->setValue(0);
        f.ScrollBox()->verticalScrollBar()->setValue(0);
    } else {
        LoadAnswerPicture(*f.Image(), QString(), pictureFolder, m_prompts);
        f.RestoreAnswerSplit();
    }
    // Nothing to check until the pupil touches the answer.
    SetCheckEnabled(false);
    FocusFirstAnswerWidget();
}

void AnswerArea::FocusFirstAnswerWidget() {
    // Disabling the check button would otherwise pass the focus on to "Я не знаю...", and the next
    // Enter or Space would give the task up unread.
    QWidget* first = nullptr;
    switch (m_kind) {
    case SingleChoice:
        first = &Radio(0);
        break;
    case MultipleChoice:
        first = &Check(0);
        break;
    case Ordering:
    case Matching:
    case TrueFalse:
        first = &Combo(0);
        break;
    case InputNum:
        first = m_area.EditInputNum();
        break;
    case InputText:
        first = m_area.EditInputText();
        break;
    case PointOnPicture:
        first = m_area.ScrollBox();
        break;
    default:
        break;
    }
    if (first && first->isEnabled())
        first->setFocus(Qt::OtherFocusReason);
}

void AnswerArea::Forget() {
    ClearFeedback();
    m_kind = 0;
    m_rows = 0;
    m_pointSet = false;
}

// ---------------------------------------------------------------- reading

TaskAnswer AnswerArea::CurrentAnswer() const {
    TaskAnswer answer;
    for (int r = 0; r < m_rows; ++r) {
        switch (m_kind) {
        case SingleChoice:
            if (Radio(r).isChecked())
                answer.chosenRow = r;
            break;
        case MultipleChoice:
            answer.ticked.append(Check(r).isChecked());
            break;
        case Ordering:
        case Matching:
        case TrueFalse:
            answer.chosenIndex.append(Combo(r).currentIndex());
            break;
        default:
            break;
        }
    }
    if (m_kind == InputNum)
        answer.text = TextCodec::ToCp1251(m_area.EditInputNum()->text());
    if (m_kind == InputText)
        answer.text = TextCodec::ToCp1251(m_area.EditInputText()->text());
    if (m_kind == PointOnPicture && m_pointSet) {
        // The marker's centre in picture coordinates; the scroll box moves the picture, not them.
        const QRect marker = m_area.ShapePoint()->geometry().translated(-m_area.Image()->pos());
        answer.point = QPoint(marker.left() + marker.width() / 2, marker.top() + marker.height() / 2);
    }
    return answer;
}

void AnswerArea::Restore(const TaskAnswer& answer) {
    bool touched = false;
    for (int r = 0; r < m_rows; ++r) {
        switch (m_kind) {
        case SingleChoice:
            if (answer.chosenRow == r) {
                Radio(r).setChecked(true);
                touched = true;
            }
            break;
        case MultipleChoice:
            if (answer.ticked.value(r, false)) {
                Check(r).setChecked(true);
                touched = true;
            }
            break;
        case Ordering:
        case Matching:
        case TrueFalse: {
            const int k = answer.chosenIndex.value(r, -1);
            if (k >= 0 && k < Combo(r).count()) {
                Combo(r).setCurrentIndex(k);
                touched = true;
            }
            break;
        }
        default:
            break;
        }
    }
    if ((m_kind == InputNum || m_kind == InputText) && !answer.text.isEmpty()) {
        (m_kind == InputNum ? m_area.EditInputNum() : m_area.EditInputText())
            ->setText(TextCodec::FromCp1251(answer.text));
        touched = true;
    }
    if (m_kind == PointOnPicture && answer.point) {
        ImageMouseDown(*answer.point);
        touched = true;
    }
    if (touched)
        VariantClick();
}

// ---------------------------------------------------------------- touching

void AnswerArea::VariantClick() {
    if (m_kind == 0)
        return;
    SetCheckEnabled(true);
    if (m_kind != Ordering)
        return;
    // Two rows with the same rank are marked and block the check until one of them changes.
    for (int r = 0; r < m_rows; ++r)
        Mark(r).clear();
    for (int r = 0; r < m_rows; ++r) {
        for (int s = r + 1; s < m_rows; ++s) {
            const int k = Combo(r).currentIndex();
            if (k >= 0 && k == Combo(s).currentIndex()) {
                Mark(r).setText(QStringLiteral("?"));
                Mark(s).setText(QStringLiteral("?"));
                SetCheckEnabled(false);
            }
        }
    }
}

bool AnswerArea::EditInputNumKeyPress(QKeyEvent& event) {
    // Shortcuts (paste, undo) and keys that type nothing are the field's own.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString typed = event.text();
    if (typed.size() != 1)
        return false;
    const QChar c = typed.front();
    // Backspace, Enter and the other control characters pass.
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return false;
    QLineEdit& edit = *m_area.EditInputNum();
    const QString separator = m_locale.decimalPoint();
    const bool isSeparator = c == u',' || c == u'.' || typed == separator;
    bool allowed = false;
    if (isSeparator)
        allowed = !edit.text().contains(separator);
    else if (c == u'-')
        allowed = !edit.text().contains(u'-') && edit.cursorPosition() == 0;
    else
        allowed = c >= u'0' && c <= u'9';
    if (!allowed) {
        if (Beep)
            Beep();
        return true;
    }
    if (isSeparator && typed != separator) {
        // A comma or a full stop is typed as the locale's separator.
        edit.insert(separator);
        return true;
    }
    return false;
}

void AnswerArea::ImageMouseDown(const QPoint& point) {
    QWidget& marker = *m_area.ShapePoint();
    const QPoint onCanvas = point + m_area.Image()->pos();
    marker.move(onCanvas.x() - marker.width() / 2, onCanvas.y() - marker.height() / 2);
    marker.show();
    marker.raise();
    m_pointSet = true;
}

bool AnswerArea::eventFilter(QObject* watched, QEvent* event) {
    // Compared with the kept pointers: events still arrive while the window is being destroyed.
    if (watched == m_editInputNum && event->type() == QEvent::KeyPress)
        return EditInputNumKeyPress(*static_cast<QKeyEvent*>(event));
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched == m_image && m_kind == PointOnPicture &&
        (press || event->type() == QEvent::MouseButtonRelease)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        // The press places the marker, the click that follows makes the answer checkable.
        if (press)
            ImageMouseDown(mouse->position().toPoint());
        else
            VariantClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- education mode

void AnswerArea::Paint(QWidget& widget, quint32 colour) {
    const bool saved = std::any_of(m_painted.cbegin(), m_painted.cend(),
                                   [&widget](const auto& p) { return p.first == &widget; });
    if (!saved)
        m_painted.append({&widget, widget.palette()});
    QPalette pal = widget.palette();
    const QColor c = ColourOf(colour);
    // Text controls fill with Base, drop-down lists with Button.
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        pal.setColor(role, c);
    widget.setPalette(pal);
    // The style draws a drop-down list with a gradient that leaves little of a pale colour: a
    // plain fill makes the mark as clear as on the texts.
    if (qobject_cast<QComboBox*>(&widget))
        widget.setStyleSheet(QStringLiteral("QComboBox { background-color: %1; border: 1px solid #8c8c8c; "
                                            "border-radius: 2px; padding: 1px 4px; }")
                                 .arg(c.name()));
}

void AnswerArea::ShowFeedback(const Feedback& feedback) {
    for (int r = 0; r < feedback.rows.size() && r < m_rows; ++r) {
        const RowFeedback& row = feedback.rows[r];
        Mark(r).setText(row.sign);
        if (row.variantColour)
            Paint(VariantText1(r), *row.variantColour);
        if (row.listColour)
            Paint(Combo(r), *row.listColour);
    }
    for (int j = 0; j < feedback.matchColours.size() && j < TSessionArea::GridRows; ++j) {
        if (feedback.matchColours[j])
            Paint(VariantText2(j), *feedback.matchColours[j]);
    }
    if (feedback.area) {
        const TArea& a = *feedback.area;
        // The right area in picture coordinates; the scroll box moves it with the picture.
        m_area.Shape()->setGeometry(
            QRect(m_area.Image()->pos() + QPoint(a.Left, a.Top), QSize(a.Width, a.Height)));
        m_area.Shape()->show();
        m_area.ShapePoint()->raise();
    }
}

void AnswerArea::ClearFeedback() {
    for (const auto& [widget, palette] : m_painted) {
        if (!widget)
            continue;
        if (qobject_cast<QComboBox*>(widget.data()))
            widget->setStyleSheet(QString());
        widget->setPalette(palette);
    }
    m_painted.clear();
    m_area.ShapePoint()->hide();
    m_area.Shape()->hide();
}
