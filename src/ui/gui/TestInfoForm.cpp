#include "TestInfoForm.h"

#include "RichTextControl.h"
#include "TestInfo.h"
#include "UiTexts.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TTestInfoForm::TTestInfoForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TestInfoForm"));
    setWindowTitle(UiTexts::Text(UiTexts::TestInfoCaption));
    resize(520, 420);
    OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    m_info = new RichTextControl(this);
    m_info->setObjectName(QStringLiteral("reInfo"));
    // Its text, the lines written unseen included, can be selected and copied.
    m_info->SetCopyAllowed(true);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    m_info->SetBaseFont(font);
    QPalette palette = m_info->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    m_info->setPalette(palette);
    m_info->viewport()->installEventFilter(this);
    m_info->viewport()->setMouseTracking(true);

    m_ok = new QPushButton(UiTexts::Text(UiTexts::OkCyrillic), this);
    m_ok->setObjectName(QStringLiteral("bOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_info, 1);
    layout->addWidget(m_ok);
}

void TTestInfoForm::Fill(const TestInfoData& test) {
    // The lines after the empty one are in the background colour: present and selectable, not seen.
    WriteInfoLines(*m_info, TestInfoLines(test), m_info->palette().color(QPalette::Base), true);
}

bool TTestInfoForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_info->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QString link = m_info->anchorAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && !link.isEmpty())
                reInfoURLClick(link);
        } else if (event->type() == QEvent::MouseMove) {
            const QString link = m_info->anchorAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            m_info->viewport()->setCursor(link.isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTestInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}

void TTestInfoForm::reInfoURLClick(const QString& link) {
    if (OpenUrl)
        OpenUrl(QUrl(link));
}
