#include "GuiPrompts.h"

#include "model/TextCodec.h"
#include "settings/gui/InputPasswordForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon ToIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
// A box belongs to the dialog the user is looking at, when one is open: a box of the main window
// would open beneath that dialog on some window managers and block it unseen.
QWidget* BoxOwner(QWidget* owner) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal ? modal : owner;
}
} // namespace

GuiPrompts::~GuiPrompts() {
    // Only a dialog made before any owner existed is still ours to free.
    if (m_passwordForm && !m_passwordForm->parent())
        delete m_passwordForm;
}

bool GuiPrompts::AskPassword(QByteArray& entered) {
    if (!m_passwordForm)
        m_passwordForm = new TInputPasswordForm(m_owner);
    else if (m_owner && m_passwordForm->parentWidget() != m_owner)
        m_passwordForm->setParent(m_owner, m_passwordForm->windowFlags());
    const bool ok = m_passwordForm->exec() == QDialog::Accepted;
    entered = TextCodec::ToCp1251(m_passwordForm->EnteredPassword);
    return ok;
}

void GuiPrompts::ShowMessage(const QString& caption, const QString& text, MsgIcon icon) {
    QMessageBox box(ToIcon(icon), caption, text, QMessageBox::Ok, BoxOwner(m_owner));
    box.exec();
}

bool GuiPrompts::AskYesNo(const QString& caption, const QString& text, MsgIcon icon) {
    QMessageBox box(ToIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, BoxOwner(m_owner));
    // The toolkit's own captions are English; the pupil reads the program's language.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Так"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Ні"));
    return box.exec() == QMessageBox::Yes;
}
