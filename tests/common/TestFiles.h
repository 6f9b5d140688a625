#pragma once
// Small file and text helpers shared by the tests.
#include "model/TextCodec.h"

#include <QFile>
#include <QTest>

inline QByteArray Cp(const QString& s) {
    return TextCodec::ToCp1251(s);
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}
