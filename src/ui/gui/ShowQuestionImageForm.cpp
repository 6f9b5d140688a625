#include "ShowQuestionImageForm.h"

#include "PictureLabel.h"
#include "UiTexts.h"

#include <QShowEvent>
#include <QVBoxLayout>

TShowQuestionImageForm::TShowQuestionImageForm(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("ShowQuestionImageForm"));
    setWindowTitle(UiTexts::Text(UiTexts::PictureViewerCaption));
    m_image = new PictureLabel(PictureLabel::Fit::Stretch, this); // proportions not kept
    m_image->setObjectName(QStringLiteral("QuestionImage"));
    m_image->setMinimumSize(1, 1);
    m_image->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_image);
}

void TShowQuestionImageForm::ShowPicture(const Picture& picture) {
    m_image->SetPicture(picture);
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
}

void TShowQuestionImageForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from minimised: keep the size the pupil gave it
    const QSize natural = m_image->CurrentPicture().PixelSize();
    if (!natural.isEmpty())
        resize(natural);
    if (m_mainWindow) {
        const QRect frame = m_mainWindow->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}
