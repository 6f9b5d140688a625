#pragma once
// Helpers of the tests that work with pictures and widgets.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTest>
#include <QWidget>

// A picture encoded in a file format, as it would be read from a file.
inline QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Types text key by key. QTest::keyClicks takes Latin-1 only; a pupil types Cyrillic.
inline void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
