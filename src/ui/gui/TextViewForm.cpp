#include "TextViewForm.h"

#include "RichText.h"
#include "RichTextControl.h"
#include "UiTexts.h"
#include "model/TextCodec.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

TTextViewForm::TTextViewForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TextViewForm"));
    setWindowTitle(UiTexts::Text(UiTexts::ViewerCaption));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setMinimumSize(300, 200);
    resize(611, 308);

    m_viewer = new RichTextControl(this);
    m_viewer->setObjectName(QStringLiteral("Viewer"));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    m_viewer->SetBaseFont(font);
    m_ok = new QPushButton(UiTexts::Text(UiTexts::Ok), this);
    m_ok->setObjectName(QStringLiteral("bbOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    // A click into the text leaves no caret there: Enter or Space then closes the window.
    connect(m_viewer, &RichTextControl::MouseReleased, m_ok, [this] { m_ok->setFocus(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_viewer, 1);
    layout->addWidget(m_ok);

    // The window sees every key before its controls.
    m_viewer->installEventFilter(this);
    m_ok->installEventFilter(this);
}

bool TTextViewForm::ScrollByKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier && mods != Qt::ControlModifier)
        return false;
    QScrollBar* bar = m_viewer->verticalScrollBar();
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (key.key()) {
    case Qt::Key_PageUp:
        action = QAbstractSlider::SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        action = QAbstractSlider::SliderPageStepAdd;
        break;
    case Qt::Key_Up:
        action = QAbstractSlider::SliderSingleStepSub;
        break;
    case Qt::Key_Down:
        action = QAbstractSlider::SliderSingleStepAdd;
        break;
    case Qt::Key_Home:
        action = QAbstractSlider::SliderToMinimum;
        break;
    case Qt::Key_End:
        action = QAbstractSlider::SliderToMaximum;
        break;
    default:
        return false;
    }
    bar->triggerAction(action);
    return true;
}

void TTextViewForm::SetCaption(const QByteArray& caption) {
    if (!caption.isEmpty())
        setWindowTitle(TextCodec::FromCp1251(caption));
}

bool TTextViewForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed == QLatin1String("+") || typed == QLatin1String("-")) {
            // The current zoom is read from the control each time; a step the control refuses
            // (above its highest ratio) leaves the zoom as it was, and 0 means 100.
            const int step = typed == QLatin1String("+") ? ZoomStep : -ZoomStep;
            m_viewer->SetZoom(m_viewer->Zoom() + step);
            return true;
        }
        // The focus stays on OK, so the text is scrolled from the keyboard wherever the focus is.
        if (ScrollByKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TTextViewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
    m_ok->setFocus();
}

bool ViewRichText(const QByteArray& fragment, const QByteArray& caption, QWidget* parent) {
    TTextViewForm form(parent);
    LoadRichText(fragment, *form.Viewer(), false);
    form.SetCaption(caption);
    return form.exec() == QDialog::Accepted;
}

bool ViewRichControl(RichTextControl& control, const QByteArray& caption, QWidget* parent) {
    TTextViewForm form(parent);
    CopyRichText(control, *form.Viewer());
    form.SetCaption(caption);
    return form.exec() == QDialog::Accepted;
}

bool ViewRichDocument(std::unique_ptr<QTextDocument> document, const QByteArray& caption, QWidget* parent) {
    TTextViewForm form(parent);
    TakeRichDocument(*form.Viewer(), document.release());
    form.SetCaption(caption);
    return form.exec() == QDialog::Accepted;
}

bool ShowFocusedTextInViewer(QWidget& mainWindow, bool enabled) {
    if (!enabled)
        return false;
    // Exactly the control of task texts: a subclass of it is some other kind of text.
    auto* control = qobject_cast<RichTextControl*>(mainWindow.focusWidget());
    if (!control || control->metaObject() != &RichTextControl::staticMetaObject)
        return false;
    ViewRichControl(*control, QByteArray(), &mainWindow);
    return true;
}
