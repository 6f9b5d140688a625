#pragma once
// Small free-standing helpers that several windows share.
#include <QByteArray>
#include <QString>

// Removes leading and trailing blanks and control characters, then shortens every run of blanks
// inside to one blank.
QByteArray CollapseBlanks(QByteArrayView text);
QString CollapseBlanks(QStringView text);

inline const QByteArray& IfThenStr(bool condition, const QByteArray& a, const QByteArray& b) {
    return condition ? a : b;
}
inline const QString& IfThenStr(bool condition, const QString& a, const QString& b) {
    return condition ? a : b;
}

// Removes every leading and trailing byte of code 32 or less.
QByteArray TrimBlanks(QByteArrayView text);

// The computer's name as a short network name: the first label of the host name, at most 15
// bytes, in capitals; empty when the system gives none.
QByteArray GetComputerNameStr();
// The logged-on user's name; empty when the system gives none or it is longer than 15 characters.
QByteArray GetLoginName();
// Makes the computer-name rule testable apart from the system.
QByteArray ComputerNameFromHost(const QString& hostName);
QByteArray LoginNameFrom(const QString& userName);

// The version text of a program file: ours carries a marker with its version; any other file
// gives "0.0.0.0".
QString GetFileVersionStr(const QString& path);
