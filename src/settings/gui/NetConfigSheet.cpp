#include "NetConfigSheet.h"

#include "AdditionConfigServices.h"

#include "net/ConnectionTest.h"
#include "ports/Prompts.h"
#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

NetConfigSheet::NetConfigSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("TabSheetNetConfig"), ConfigTexts::NetText,
                  QStringLiteral(":/pages/net.png"), parent),
      m_settings(settings), m_services(services) {
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    m_host = NewEdit(QStringLiteral("Edit_RemoteHost"));
    m_port = NewEdit(QStringLiteral("Edit_RemotePort"));
    m_port->installEventFilter(this);
    m_sendResult = NewCheckBox(QStringLiteral("CheckBox_SendResult"), ConfigTexts::SendResult);
    m_autoGet = NewCheckBox(QStringLiteral("cbAutoGetTestFromStart"), ConfigTexts::AutoGetTestFromStart);
    m_testNet = NewButton(QStringLiteral("bbTestNet"), ConfigTexts::TestNet);
    m_testNetNote = NewNote(ConfigTexts::TestNetNote);
    m_testNetNote->setObjectName(QStringLiteral("lTestNet"));

    grid->addWidget(NewLabel(ConfigTexts::RemoteHostLabel, m_host), 0, 0);
    grid->addWidget(m_host, 0, 1);
    grid->addWidget(NewLabel(ConfigTexts::RemotePortLabel, m_port), 1, 0);
    auto* portRow = new QHBoxLayout;
    // Room for five digits and a little more; the port needs no more.
    m_port->setMaximumWidth(m_port->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    portRow->addWidget(m_port);
    portRow->addStretch(1);
    grid->addLayout(portRow, 1, 1);
    grid->addWidget(m_sendResult, 2, 0, 1, 2);
    grid->addWidget(m_autoGet, 3, 0, 1, 2);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(m_testNet);
    testRow->addWidget(m_testNetNote, 1);
    grid->addLayout(testRow, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    Body()->addWidget(group);

    for (QLineEdit* edit : {m_host, m_port})
        connect(edit, &QLineEdit::textChanged, this, &NetConfigSheet::UpdateEnabled);
    connect(m_sendResult, &QCheckBox::toggled, this, &NetConfigSheet::UpdateEnabled);
    connect(m_testNet, &QPushButton::clicked, this, &NetConfigSheet::bbTestNetClick);
    AddApplyButton(QStringLiteral("bbSetNetConfig"));
}

void NetConfigSheet::Fill() {
    const NetPage page = NetPageFrom(m_settings);
    m_host->setText(page.host);
    m_port->setText(page.port);
    m_sendResult->setChecked(page.sendResult);
    m_autoGet->setChecked(page.autoGetTestFromStart);
    UpdateEnabled();
}

void NetConfigSheet::Apply() {
    ApplyNetPage({m_host->text(), m_port->text(), m_sendResult->isChecked(), m_autoGet->isChecked()},
                 m_settings);
}

void NetConfigSheet::UpdateEnabled() {
    const NetPageEnabled on =
        NetPageRules({m_host->text(), m_port->text(), m_sendResult->isChecked(), false});
    m_autoGet->setEnabled(on.autoGetTestFromStart);
    // One check at a time: the button waits until the running one has its answer.
    m_testNet->setEnabled(on.testNet && !m_test);
    m_testNetNote->setEnabled(m_testNet->isEnabled());
}

bool NetConfigSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_port && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!PortKeyAccepted(key->text(), key->modifiers())) {
            if (m_services.beep)
                m_services.beep();
            return true;
        }
    }
    return ConfigSheet::eventFilter(watched, event);
}

void NetConfigSheet::bbTestNetClick() {
    if (m_test)
        return;
    const QByteArray computer = m_services.computerName ? m_services.computerName() : QByteArray();
    m_test = new ConnectionTest({m_host->text(), PortFromText(m_port->text())}, computer,
                                m_services.netLimits, this);
    ConnectionTest* test = m_test;
    // A keyboard user who pressed the button gets the focus back on it afterwards.
    const bool hadFocus = m_testNet->hasFocus();
    connect(test, &ConnectionTest::Finished, this, [this, test, hadFocus] {
        test->deleteLater();
        m_test = nullptr;
        UpdateEnabled();
        if (hadFocus && m_testNet->isEnabled() && m_testNet->isVisible())
            m_testNet->setFocus(Qt::OtherFocusReason);
        if (const auto notice = test->NoticeToShow(); notice && m_services.prompts)
            m_services.prompts->ShowMessage(notice->caption, notice->text, notice->icon);
    });
    UpdateEnabled();
    test->Start();
}
