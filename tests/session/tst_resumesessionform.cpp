// The dialog "Незавершене тестування": what it names, which choices it offers, that "Продовжити" is
// the default and that the dialog closes only by a choice.
#include "session/SessionTexts.h"
#include "session/gui/ResumeSessionForm.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(ResumeChoice)

class TestResumeSessionForm : public QObject {
    Q_OBJECT

private slots:
    void namesTheSessionAndOffersTheChoices_data() {
        QTest::addColumn<bool>("keepingTime");
        QTest::addColumn<QString>("button");
        QTest::addColumn<ResumeChoice>("choice");
        QTest::newRow("continue") << false << "ButtonContinue" << ResumeChoice::Continue;
        QTest::newRow("refuse") << false << "ButtonRefuse" << ResumeChoice::Refuse;
        QTest::newRow("keeping time") << true << "ButtonKeepTime" << ResumeChoice::ContinueKeepingTime;
    }
    void namesTheSessionAndOffersTheChoices() {
        QFETCH(bool, keepingTime);
        QFETCH(QString, button);
        QFETCH(ResumeChoice, choice);
        ResumeOffer offer;
        offer.userName = "\xb2\xe2\xe0\xed\xee\xe2 \xb2\xe2\xe0\xed"; // "Іванов Іван" in CP1251
        offer.userGroup = "9 A";
        offer.testTitle = "Algebra";
        offer.answered = 3;
        offer.askCount = 8;
        offer.secondsLeft = 754;
        offer.offerKeepingTime = keepingTime;
        TResumeSessionForm form(offer);
        QCOMPARE(form.windowTitle(), SessionTexts::ResumeCaption());
        QCOMPARE(form.findChild<QLabel*>("LabelPupil")->text(), QStringLiteral("Іванов Іван (9 A)"));
        QCOMPARE(form.findChild<QLabel*>("LabelTest")->text(), QStringLiteral("Algebra"));
        QCOMPARE(form.findChild<QLabel*>("LabelAnswered")->text(), SessionTexts::ResumeAnsweredCount(3, 8));
        QCOMPARE(form.findChild<QLabel*>("LabelTimeLeft")->text(), QStringLiteral("00:12:34"));
        auto* resume = form.findChild<QPushButton*>("ButtonContinue");
        QVERIFY(resume && resume->isDefault());
        QCOMPARE(resume->text(), SessionTexts::ResumeContinue());
        QCOMPARE(form.findChild<QPushButton*>("ButtonRefuse")->text(), SessionTexts::ResumeRefuse());
        auto* keep = form.findChild<QPushButton*>("ButtonKeepTime");
        QCOMPARE(keep != nullptr, keepingTime);
        if (keep)
            QCOMPARE(keep->text(), SessionTexts::ResumeKeepingTime());

        form.show();
        form.reject(); // Escape, the close box
        QVERIFY(form.isVisible());
        form.findChild<QPushButton*>(button)->click();
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.Choice(), choice);
    }
};

QTEST_MAIN(TestResumeSessionForm)
#include "tst_resumesessionform.moc"
