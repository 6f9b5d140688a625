#include "MainStatusBar.h"

#include <QFrame>
#include <QLabel>

TMainStatusBar::TMainStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    for (int i = 0; i < PanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(i <= 9 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        // The last panel takes what is left, so a long pupil's name stays readable.
        if (i == PanelCount - 1) {
            label->setMinimumWidth(PanelWidths[size_t(i)]);
            addWidget(label, 1);
        } else {
            label->setFixedWidth(PanelWidths[size_t(i)]);
            addWidget(label);
        }
        m_panels[size_t(i)] = label;
    }
}

QString TMainStatusBar::PanelText(int i) const {
    return m_panels.at(size_t(i))->text();
}

void TMainStatusBar::SetPanelText(int i, const QString& text) {
    QLabel* label = m_panels.at(size_t(i));
    if (label->text() != text)
        label->setText(text);
}

void TMainStatusBar::SetPanelUrgent(int i, bool urgent) {
    if (m_urgent.at(size_t(i)) == urgent)
        return;
    m_urgent[size_t(i)] = urgent;
    QLabel* label = m_panels[size_t(i)];
    QPalette pal = palette();
    if (urgent)
        pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(pal);
}

bool TMainStatusBar::PanelUrgent(int i) const {
    return m_urgent.at(size_t(i));
}
