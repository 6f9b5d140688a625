#include "InputUserNameForm.h"

#include "model/TextCodec.h"
#include "ports/Clock.h"
#include "ports/Prompts.h"
#include "session/NameRules.h"
#include "session/SessionTexts.h"
#include "ui/gui/BalloonTip.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int BalloonMs = 5000;
}

TInputUserNameForm::TInputUserNameForm(const Clock& clock, Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_clock(clock), m_prompts(prompts), m_hello(new QLabel(QStringLiteral("Як Вас звати?"), this)),
      m_titleName(new QLabel(QStringLiteral("ПІБ:"), this)),
      m_titleGroup(new QLabel(QStringLiteral("Клас:"), this)), m_name(new QLineEdit(this)),
      m_group(new QLineEdit(this)), m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_balloon(new BalloonTip(this)) {
    setObjectName(QStringLiteral("InputUserNameForm"));
    setWindowTitle(QStringLiteral("Почнемо тест?!"));
    setModal(true);

    m_hello->setObjectName(QStringLiteral("HelloLabel"));
    m_hello->setAlignment(Qt::AlignCenter);
    QFont bold = m_hello->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_hello->setFont(bold);
    m_titleName->setObjectName(QStringLiteral("TitleUserName"));
    m_titleGroup->setObjectName(QStringLiteral("TitleUserGroup"));
    m_name->setObjectName(QStringLiteral("UserName"));
    m_group->setObjectName(QStringLiteral("UserGroup"));
    m_name->setMinimumWidth(280);
    m_titleName->setBuddy(m_name);
    m_titleGroup->setBuddy(m_group);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(m_titleName, m_name);
    fields->addRow(m_titleGroup, m_group);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_ok);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_hello);
    layout->addSpacing(8);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_name->installEventFilter(this);
    m_group->installEventFilter(this);
    // Any change of a field's text counts, the dialog's own rewriting on OK included: after a
    // refusal the next click must not wipe what the pupil typed.
    connect(m_name, &QLineEdit::textChanged, this, [this] { NameTouched = true; });
    connect(m_group, &QLineEdit::textChanged, this, [this] { GroupTouched = true; });
    connect(m_ok, &QPushButton::clicked, this, &TInputUserNameForm::OKButtonClick);
}

void TInputUserNameForm::Load(const NameDialogData& data) {
    m_name->setText(TextCodec::FromCp1251(data.userName));
    m_group->setText(TextCodec::FromCp1251(data.userGroup));
    m_titleName->setText(TextCodec::FromCp1251(data.titleUserName));
    m_titleGroup->setText(TextCodec::FromCp1251(data.titleUserGroup));
    m_nameExpression = data.nameExpression;
    m_groupExpression = data.groupExpression;
    m_nameExample = data.nameExample;
    m_groupExample = data.groupExample;
}

void TInputUserNameForm::TakeFields(NameDialogData& data) const {
    data.userName = TextCodec::ToCp1251(m_name->text());
    data.userGroup = TextCodec::ToCp1251(m_group->text());
}

bool TInputUserNameForm::Run(NameDialogData& data) {
    Load(data);
    const bool ok = exec() == QDialog::Accepted;
    TakeFields(data);
    return ok;
}

void TInputUserNameForm::Open(const NameDialogData& data) {
    Load(data);
    open();
}

void TInputUserNameForm::showEvent(QShowEvent* event) {
    m_hello->setText(NameRules::HelloText(m_clock.Now()));
    NameTouched = false;
    GroupTouched = false;
    QDialog::showEvent(event);
    m_name->setFocus(Qt::OtherFocusReason);
}

// The first click into a field removes the default or last text, so the pupil starts typing in
// an empty field; later clicks place the caret as usual.
bool TInputUserNameForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_name && !NameTouched) {
            m_name->clear();
            NameTouched = true;
        } else if (watched == m_group && !GroupTouched) {
            m_group->clear();
            GroupTouched = true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TInputUserNameForm::OKButtonClick() {
    const NameRules::Check check = NameRules::CheckNameAndGroup(TextCodec::ToCp1251(m_name->text()),
                                                                TextCodec::ToCp1251(m_group->text()),
                                                                m_nameExpression, m_groupExpression);
    m_name->setText(TextCodec::FromCp1251(check.name));
    m_group->setText(TextCodec::FromCp1251(check.group));
    switch (check.verdict) {
    case NameRules::Verdict::Accepted:
        accept();
        break;
    case NameRules::Verdict::NameRefused:
        ShowRefusal(m_name, m_nameExample);
        break;
    case NameRules::Verdict::GroupRefused:
        ShowRefusal(m_group, m_groupExample);
        break;
    case NameRules::Verdict::BadExpression:
        // A teacher's typo in the settings must not lock the pupil out silently; the dialog
        // stays open so the pupil can close it once told.
        m_prompts.ShowMessage(SessionTexts::ErrorCaption(), check.error, MsgIcon::Error);
        break;
    }
}

void TInputUserNameForm::ShowRefusal(QLineEdit* field, const QByteArray& example) {
    field->setFocus(Qt::OtherFocusReason);
    QString text = NameRules::RefusalText(example);
    text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    m_balloon->ShowAt(field, NameRules::RefusalTitle(), text, BalloonMs,
                      QRect(m_ok->mapToGlobal(QPoint(0, 0)), m_ok->size()));
}
