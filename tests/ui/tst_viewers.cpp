#include "ui/gui/PictureLabel.h"
#include "ui/gui/RichText.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/ShowQuestionImageForm.h"
#include "ui/gui/TextViewForm.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

// Clicks OK of the modal window once it is open.
void ClickOkWhenOpen() {
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        auto* ok = modal->findChild<QPushButton*>(QStringLiteral("bbOK"));
        QVERIFY(ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
}

} // namespace

class TestViewers : public QObject {
    Q_OBJECT
private slots:
    void textViewerWindow() {
        TTextViewForm form;
        QCOMPARE(form.windowTitle(), u"Перегляд"_qs);
        form.SetCaption(QByteArray());
        QCOMPARE(form.windowTitle(), u"Перегляд"_qs);
        QCOMPARE(form.size(), QSize(611, 308));
        QCOMPARE(form.minimumSize(), QSize(300, 200));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(form.OkButton()->text(), u"OK"_qs);
        form.SetCaption("\xcf\xee\xff\xf1\xed\xe5\xed\xe8\xe5"); // code page 1251
        QCOMPARE(form.windowTitle(), u"Пояснение"_qs);
    }

    void plainFragmentInTheViewerFont() {
        TTextViewForm form;
        LoadRichText("plain text", *form.Viewer(), false);
        QTextCursor c(form.Viewer()->document());
        c.setPosition(1);
        const QFont font = c.charFormat().font();
        QCOMPARE(font.family(), u"Times New Roman"_qs);
        QCOMPARE(font.pixelSize(), 16);
    }

    void zoomKeys_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("zoom");
        QTest::newRow("plus four times") << 100 << "++++" << 120;
        QTest::newRow("minus") << 100 << "--" << 90;
        QTest::newRow("minus at 5 goes back to 100") << 5 << "-" << 100;
        QTest::newRow("minus at 10 reaches 5") << 10 << "-" << 5;
        QTest::newRow("no step above 6400") << 6400 << "+" << 6400;
        QTest::newRow("6395 reaches 6400") << 6395 << "+" << 6400;
        QTest::newRow("other keys are not taken") << 100 << "a=0" << 100;
    }
    void zoomKeys() {
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(int, zoom);
        TTextViewForm form;
        QVERIFY(form.Viewer()->SetZoom(start));
        // The window sees the keys whichever control has the focus.
        QTest::keyClicks(form.OkButton(), keys.left(1));
        QTest::keyClicks(form.Viewer(), keys.mid(1));
        QCOMPARE(form.Viewer()->Zoom(), zoom);
    }

    void clickInTheTextMovesFocusToOk() {
        QWidget main;
        main.resize(800, 600);
        TTextViewForm form(&main);
        LoadRichText("some text to click", *form.Viewer(), false);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.Viewer()->setFocus();
        QTest::mouseClick(form.Viewer()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(QApplication::focusWidget(), form.OkButton());
    }

    // With the focus on OK, as the viewer opens, the keys still scroll the text.
    void keysScrollTheTextFromOk_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("where"); // after the key, from the middle: "up", "down", "top", "end"
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << int(Qt::NoModifier) << "down";
        QTest::newRow("PageUp") << int(Qt::Key_PageUp) << int(Qt::NoModifier) << "up";
        QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::NoModifier) << "down";
        QTest::newRow("Up") << int(Qt::Key_Up) << int(Qt::NoModifier) << "up";
        QTest::newRow("Home") << int(Qt::Key_Home) << int(Qt::NoModifier) << "top";
        QTest::newRow("End") << int(Qt::Key_End) << int(Qt::NoModifier) << "end";
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << int(Qt::ControlModifier) << "top";
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << int(Qt::ControlModifier) << "end";
    }
    void keysScrollTheTextFromOk() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, where);
        TTextViewForm form;
        QByteArray text;
        for (int i = 0; i < 200; ++i)
            text += "line " + QByteArray::number(i) + "\r\n";
        LoadRichText(text, *form.Viewer(), false);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget(), form.OkButton());
        QScrollBar* bar = form.Viewer()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        const int middle = bar->maximum() / 2;
        bar->setValue(middle);
        QTest::keyClick(form.OkButton(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (where == "down")
            QVERIFY(bar->value() > middle);
        else if (where == "up")
            QVERIFY(bar->value() < middle);
        else
            QCOMPARE(bar->value(), where == "top" ? 0 : bar->maximum());
        QVERIFY(form.isVisible());
    }

    void viewerRefusesClipboard() {
        TTextViewForm form;
        LoadRichText("secret", *form.Viewer(), false);
        form.Viewer()->selectAll();
        QGuiApplication::clipboard()->setText(u"before"_qs);
        for (const auto& key :
             {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo})
            QTest::keySequence(form.Viewer(), key);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_qs);
        QCOMPARE(form.Viewer()->toPlainText(), u"secret"_qs);
    }

    void viewRichTextReturnsOk() {
        ClickOkWhenOpen();
        QVERIFY(ViewRichText("{\\rtf1 x}", "Caption"));
    }

    void viewRichControlShowsTheSelection() {
        RichTextControl source;
        LoadRichText("{\\rtf1 one {\\b two}}", source, false);
        QTextCursor sel(source.document());
        sel.setPosition(4);
        sel.setPosition(7, QTextCursor::KeepAnchor);
        source.setTextCursor(sel);
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TTextViewForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            seen = form->Viewer()->textCursor().selectedText() + u'|' + form->windowTitle();
            form->reject();
        });
        QVERIFY(!ViewRichControl(source, QByteArray()));
        QCOMPARE(seen, u"two|Перегляд"_qs);
    }

    void focusedTextInTheViewer() {
        QWidget main;
        auto* button = new QPushButton(u"b"_qs, &main);
        auto* variant = new RichTextControl(&main);
        LoadRichText("{\\rtf1 variant text}", *variant, false);
        button->setFocus();
        QCOMPARE(main.focusWidget(), button);
        QVERIFY(!ShowFocusedTextInViewer(main, true)); // the focus is on a button
        variant->setFocus();
        QCOMPARE(main.focusWidget(), variant);
        QVERIFY(!ShowFocusedTextInViewer(main, false)); // no session runs
        QTextCursor sel(variant->document());
        sel.setPosition(8);
        sel.setPosition(12, QTextCursor::KeepAnchor);
        variant->setTextCursor(sel);
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TTextViewForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            seen = form->Viewer()->textCursor().selectedText();
            form->accept();
        });
        QVERIFY(ShowFocusedTextInViewer(main, true));
        QCOMPARE(seen, u"text"_qs);

        // A double click selects the word under the pointer first, then tells the window.
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        variant->resize(300, 100);
        QString selectedOnSignal;
        connect(variant, &RichTextControl::DoubleClicked, this,
                [&] { selectedOnSignal = variant->textCursor().selectedText(); });
        QTextCursor first(variant->document());
        first.setPosition(2);
        QTest::mouseDClick(variant->viewport(), Qt::LeftButton, {}, variant->cursorRect(first).center());
        QCOMPARE(selectedOnSignal, u"variant"_qs);
    }

    void pictureViewer() {
        QWidget main;
        TShowQuestionImageForm viewer(&main);
        QCOMPARE(viewer.windowTitle(), u"Перегляд малюнка до завдання"_qs);
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::green);
        viewer.ShowPicture(Picture(picture));
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(viewer.size(), QSize(400, 300));
        QCOMPARE(viewer.QuestionImage()->size(), QSize(400, 300));

        viewer.resize(200, 500); // stretched, proportions not kept
        QTRY_COMPARE(viewer.QuestionImage()->size(), QSize(200, 500));
        QVERIFY(viewer.QuestionImage()->hasScaledContents());

        QImage otherImage(50, 60, QImage::Format_RGB32);
        otherImage.fill(Qt::red);
        const Picture other(otherImage);
        viewer.ShowPicture(other); // open: the picture changes, the size stays
        QCOMPARE(viewer.size(), QSize(200, 500));
        QCOMPARE(viewer.QuestionImage()->pixmap().size(), QSize(50, 60));

        viewer.close();
        viewer.ShowPicture(other); // opened again: natural size
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(viewer.size(), QSize(50, 60));
    }
};

QTEST_MAIN(TestViewers)
#include "tst_viewers.moc"
