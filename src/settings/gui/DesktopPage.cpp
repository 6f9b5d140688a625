#include "DesktopPage.h"

#include "DesktopPageTexts.h"
#include "settings/DesktopNames.h"
#include "settings/DesktopResources.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QLabel* IconLabel(const QString& resource, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap(resource));
    label->setFixedSize(48, 48);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// The 48-pixel size of one of the program's icons, as the resources hold it.
QString Icon48(const QString& context, const QString& name) {
    for (const DesktopResources::IconFile& icon : DesktopResources::Icons(context, name))
        if (icon.themeRelative.startsWith(QLatin1String("48x48/")))
            return icon.resource;
    return {};
}

} // namespace

TDesktopPage::TDesktopPage(const QString& caption, const QString& intro, const QString& noteIconContext,
                           const QString& noteIconName, const QString& note, const QString& applyName,
                           QWidget* parent)
    : QWidget(parent), m_content(new QVBoxLayout),
      m_apply(new QPushButton(DesktopPageTexts::Apply.toString(), this)) {
    setWindowTitle(caption);

    auto* top = new QHBoxLayout;
    QLabel* picture = IconLabel(Icon48(QStringLiteral("apps"), DesktopNames::ProgramIcon), this);
    picture->setObjectName(QStringLiteral("PagePicture"));
    top->addWidget(picture, 0, Qt::AlignTop);
    auto* text = new QLabel(intro, this);
    text->setObjectName(QStringLiteral("PageText"));
    text->setWordWrap(true);
    top->addWidget(text, 1);

    auto* noteGroup = new QGroupBox(DesktopPageTexts::NoteGroup.toString(), this);
    auto* noteLayout = new QHBoxLayout(noteGroup);
    QLabel* icon = IconLabel(Icon48(noteIconContext, noteIconName), noteGroup);
    icon->setObjectName(QStringLiteral("NoteIcon"));
    noteLayout->addWidget(icon);
    auto* noteText = new QLabel(note, noteGroup);
    noteText->setObjectName(QStringLiteral("NoteText"));
    noteText->setWordWrap(true);
    noteLayout->addWidget(noteText, 1);

    m_apply->setObjectName(applyName);
    m_apply->setEnabled(false);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_apply);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(m_content);
    layout->addWidget(noteGroup);
    layout->addStretch(1);
    layout->addLayout(bottom);
}

void TDesktopPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    FillPage();
    m_apply->setEnabled(false);
}
