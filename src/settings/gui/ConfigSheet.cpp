#include "ConfigSheet.h"

#include "WrapCheckBox.h"

#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
constexpr int PictureSize = 32;
} // namespace

ConfigSheet::ConfigSheet(const QString& objectName, QStringView text, const QString& picture, QWidget* parent)
    : QWidget(parent), m_body(new QVBoxLayout), m_text(new QLabel(this)) {
    setObjectName(objectName);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("PageImage"));
    image->setPixmap(QIcon(picture).pixmap(PictureSize, PictureSize));
    image->setFixedSize(PictureSize, PictureSize);
    top->addWidget(image, 0, Qt::AlignTop);
    m_text->setObjectName(QStringLiteral("PageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setText(text.toString());
    top->addWidget(m_text, 1);
    layout->addLayout(top);

    m_body->setSpacing(6);
    layout->addLayout(m_body);
    layout->addStretch(1);
}

QPushButton* ConfigSheet::AddApplyButton(const QString& objectName) {
    m_apply = NewButton(objectName, ConfigTexts::Apply);
    m_apply->setEnabled(false);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_apply);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        Apply();
        if (ApplyDisablesButton())
            m_apply->setEnabled(false);
    });
    return m_apply;
}

void ConfigSheet::Changed() {
    if (m_apply)
        m_apply->setEnabled(true);
}

void ConfigSheet::WatchChanges(QLineEdit* edit) {
    connect(edit, &QLineEdit::textChanged, this, &ConfigSheet::Changed);
}

void ConfigSheet::WatchChanges(QCheckBox* box) {
    connect(box, &QCheckBox::toggled, this, &ConfigSheet::Changed);
}

QLabel* ConfigSheet::NewLabel(QStringView text, QWidget* buddy) {
    auto* label = new QLabel(text.toString(), this);
    label->setTextFormat(Qt::PlainText);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QLineEdit* ConfigSheet::NewEdit(const QString& objectName) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    WatchChanges(edit);
    return edit;
}

QCheckBox* ConfigSheet::NewCheckBox(const QString& objectName, QStringView text) {
    auto* box = new WrapCheckBox(text.toString(), this);
    box->setObjectName(objectName);
    WatchChanges(box);
    return box;
}

QPushButton* ConfigSheet::NewButton(const QString& objectName, QStringView text) {
    auto* button = new QPushButton(text.toString(), this);
    button->setObjectName(objectName);
    return button;
}

QLabel* ConfigSheet::NewNote(QStringView text) {
    QLabel* note = NewLabel(text);
    note->setWordWrap(true);
    // Grey, yet dark enough to read: two thirds of the way from the background to the text.
    QPalette palette = note->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor text = palette.color(group, QPalette::WindowText);
        const QColor back = palette.color(group, QPalette::Window);
        const auto mix = [](int t, int b) { return (2 * t + b) / 3; };
        palette.setColor(group, QPalette::WindowText,
                         QColor(mix(text.red(), back.red()), mix(text.green(), back.green()),
                                mix(text.blue(), back.blue())));
    }
    note->setPalette(palette);
    return note;
}

QGroupBox* ConfigSheet::NewGroup(QStringView title) {
    return new QGroupBox(title.toString(), this);
}

void ConfigSheet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window coming back from the task bar shows its pages again; that refills nothing.
    if (event->spontaneous())
        return;
    Fill();
    if (m_apply)
        m_apply->setEnabled(false);
}
