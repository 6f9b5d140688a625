#include "SelectTestForm.h"

#include "net/NetTexts.h"
#include "net/TestEntries.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSelectTestForm::TSelectTestForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_list(new QListWidget(this)), m_ok(new QPushButton(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Скасувати"), this)) {
    setObjectName(QStringLiteral("SelectTestForm"));
    setWindowTitle(NetTexts::SelectTestCaption());
    m_list->setObjectName(QStringLiteral("ListTest"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(360, 240);
    m_ok->setObjectName(QStringLiteral("bbOK"));
    m_ok->setDefault(true);
    m_cancel->setObjectName(QStringLiteral("bbCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentRowChanged, this, &TSelectTestForm::UpdateOk);
    connect(this, &QDialog::finished, this, [this](int result) {
        // Taken out first: the callback may ask again at once.
        std::function<void(int)> chosen = std::exchange(m_chosen, {});
        if (chosen)
            chosen(result == QDialog::Accepted ? SelectedIndex() : -1);
    });
}

void TSelectTestForm::Prepare(const QList<QByteArray>& entries) {
    m_list->clear();
    m_list->addItems(SelectTestItems(entries));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    UpdateOk();
    m_list->setFocus();
}

void TSelectTestForm::Ask(const QList<QByteArray>& entries, std::function<void(int)> chosen) {
    Prepare(entries);
    m_chosen = std::move(chosen);
    open();
}

int TSelectTestForm::SelectedIndex() const {
    const int row = m_list->currentRow();
    return row >= 0 && row < m_list->count() ? row : -1;
}

void TSelectTestForm::UpdateOk() {
    // With nothing to choose, OK would choose nothing: only Cancel is offered then.
    m_ok->setEnabled(SelectedIndex() >= 0);
}
