#include "InputPasswordForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The typed characters show as "*", not as the style's dot.
class StarMask : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

TInputPasswordForm::TInputPasswordForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_edit(new QLineEdit(this)), m_showChars(new QCheckBox(QStringLiteral("Показувати символи"), this)) {
    setObjectName(QStringLiteral("InputPasswordForm"));
    setWindowTitle(QStringLiteral("Введіть пароль"));
    setModal(true);

    m_edit->setObjectName(QStringLiteral("EditInputPassword"));
    auto* mask = new StarMask;
    mask->setParent(m_edit);
    m_edit->setStyle(mask);
    m_edit->setMinimumWidth(260);
    m_showChars->setObjectName(QStringLiteral("CheckBoxPasswordChar"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_showChars, &QCheckBox::clicked, this, &TInputPasswordForm::CheckBoxPasswordCharClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(m_showChars);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    // A fixed border: the dialog keeps the size its contents ask for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TInputPasswordForm::showEvent(QShowEvent* event) {
    m_edit->clear();
    m_edit->setEchoMode(QLineEdit::Password);
    m_showChars->setChecked(false);
    QDialog::showEvent(event);
    m_edit->setFocus(Qt::OtherFocusReason);
}

void TInputPasswordForm::CheckBoxPasswordCharClick() {
    m_edit->setEchoMode(m_showChars->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->end(false);
}

// OK, Cancel and the close box (through reject) all end here.
void TInputPasswordForm::done(int result) {
    EnteredPassword = m_edit->text();
    QDialog::done(result);
}
