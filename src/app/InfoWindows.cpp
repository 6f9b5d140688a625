#include "InfoWindows.h"

#include "model/AppPaths.h"
#include "model/Utils.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

QVBoxLayout* Frame(QDialog* dialog, const QString& name, const QString& caption) {
    dialog->setObjectName(name);
    dialog->setWindowTitle(caption);
    auto* layout = new QVBoxLayout(dialog);
    return layout;
}

void AddOk(QDialog* dialog, QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    layout->addWidget(buttons);
}

QLabel* Text(QDialog* dialog, const QString& html) {
    auto* label = new QLabel(html, dialog);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(true);
    return label;
}

} // namespace

// Outside any namespace, as the resource initialiser requires.
static void InitResourcesOnce() {
    Q_INIT_RESOURCE(resources);
}

void InitAppResources() {
    static const bool done = (InitResourcesOnce(), true);
    (void)done;
}

QString ProgramVersionText() {
    return GetFileVersionStr(QCoreApplication::applicationFilePath());
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    InitAppResources();
    QVBoxLayout* layout = Frame(this, QStringLiteral("AboutForm"), QStringLiteral("Про програму"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/quizar-student.png"))
                        .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    auto* text =
        Text(this, QStringLiteral("<h2>QuizarStudent</h2>"
                                  "<p>Програма учня шкільної системи тестування Quizar.</p>"
                                  "<p>Версія %1</p>"
                                  "<p>Тести відкриваються з диска, з командного рядка, перетягуванням "
                                  "файлу у вікно або з сервера вчителя.</p>")
                       .arg(ProgramVersionText().toHtmlEscaped()));
    text->setObjectName(QStringLiteral("AboutText"));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    AddOk(this, layout);
}

TLicenseForm::TLicenseForm(QWidget* parent) : QDialog(parent) {
    InitAppResources();
    QVBoxLayout* layout = Frame(this, QStringLiteral("LicenseForm"), QStringLiteral("Ліцензія"));
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("LicenseText"));
    text->setReadOnly(true);
    QFile file(QStringLiteral(":/texts/LICENSE.txt"));
    if (file.open(QIODevice::ReadOnly))
        text->setPlainText(QString::fromUtf8(file.readAll()));
    layout->addWidget(text);
    AddOk(this, layout);
    resize(560, 420);
}

TDonateForm::TDonateForm(QWidget* parent) : QDialog(parent) {
    QVBoxLayout* layout = Frame(this, QStringLiteral("DonateForm"), QStringLiteral("Підтримати програму"));
    auto* text = Text(this, QStringLiteral("<h3>Підтримати програму</h3>"
                                           "<p>QuizarStudent — вільна програма, яку пишуть у вільний час. "
                                           "Найкраща підтримка — розповісти про неї колегам, надіслати "
                                           "опис помилки або побажання та поділитися своїми тестами.</p>"));
    text->setObjectName(QStringLiteral("DonateText"));
    layout->addWidget(text);
    AddOk(this, layout);
    resize(420, 200);
}
