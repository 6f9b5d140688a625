#include "GuiPrompts.h"

#include "model/TextCodec.h"

#include <QInputDialog>
#include <QLineEdit>
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
} // namespace

bool GuiPrompts::AskPassword(QByteArray& entered) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_owner, QStringLiteral("Введіть пароль"), QString(),
                                               QLineEdit::Password, QString(), &ok);
    entered = TextCodec::ToCp1251(text);
    return ok;
}

void GuiPrompts::ShowMessage(const QString& caption, const QString& text, MsgIcon icon) {
    QMessageBox box(ToIcon(icon), caption, text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool GuiPrompts::AskYesNo(const QString& caption, const QString& text, MsgIcon icon) {
    QMessageBox box(ToIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    return box.exec() == QMessageBox::Yes;
}
