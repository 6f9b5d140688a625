#include "ResumeSessionForm.h"

#include "model/DateTime.h"
#include "model/TextCodec.h"
#include "session/SessionTexts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* Value(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}
} // namespace

TResumeSessionForm::TResumeSessionForm(const ResumeOffer& offer, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint),
      m_buttons(new QWidget(this)) {
    namespace T = SessionTexts;
    setObjectName(QStringLiteral("ResumeSessionForm"));
    setWindowTitle(T::ResumeCaption());
    setModal(true);

    auto* intro = new QLabel(T::ResumeIntro(), this);
    intro->setObjectName(QStringLiteral("LabelIntro"));
    intro->setWordWrap(true);

    QString pupil = TextCodec::FromCp1251(offer.userName);
    if (!offer.userGroup.isEmpty())
        pupil += QStringLiteral(" (%1)").arg(TextCodec::FromCp1251(offer.userGroup));
    auto* fields = new QFormLayout;
    fields->addRow(T::ResumePupil(), Value(pupil, QStringLiteral("LabelPupil"), this));
    fields->addRow(T::ResumeTest(),
                   Value(TextCodec::FromCp1251(offer.testTitle), QStringLiteral("LabelTest"), this));
    fields->addRow(T::ResumeAnswered(), Value(T::ResumeAnsweredCount(offer.answered, offer.askCount),
                                              QStringLiteral("LabelAnswered"), this));
    fields->addRow(T::ResumeTimeLeft(),
                   Value(offer.secondsLeft ? FormatDuration(*offer.secondsLeft) : T::ResumeNoTimeLimit(),
                         QStringLiteral("LabelTimeLeft"), this));

    auto* note = new QLabel(T::ResumeTimeNote(), this);
    note->setObjectName(QStringLiteral("LabelTimeNote"));
    note->setWordWrap(true);

    auto* row = new QHBoxLayout(m_buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    QPushButton* resume =
        AddButton(T::ResumeContinue(), QStringLiteral("ButtonContinue"), ResumeChoice::Continue);
    if (offer.offerKeepingTime)
        AddButton(T::ResumeKeepingTime(), QStringLiteral("ButtonKeepTime"),
                  ResumeChoice::ContinueKeepingTime);
    AddButton(T::ResumeRefuse(), QStringLiteral("ButtonRefuse"), ResumeChoice::Refuse);
    row->addStretch();
    resume->setDefault(true);
    resume->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(6);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addWidget(note);
    layout->addSpacing(8);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    intro->setMinimumWidth(420);
}

QPushButton* TResumeSessionForm::AddButton(const QString& text, const QString& name, ResumeChoice choice) {
    auto* button = new QPushButton(text, m_buttons);
    button->setObjectName(name);
    button->setAutoDefault(true);
    static_cast<QHBoxLayout*>(m_buttons->layout())->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, choice] {
        m_choice = choice;
        accept();
    });
    return button;
}

ResumeChoice TResumeSessionForm::Ask(const ResumeOffer& offer, QWidget* parent) {
    TResumeSessionForm form(offer, parent);
    form.exec();
    return form.Choice();
}
