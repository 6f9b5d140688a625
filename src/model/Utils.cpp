#include "Utils.h"

#include "TextCodec.h"

#include <QFile>
#include <QSysInfo>

#include <algorithm>
#include <cstring>

#ifndef QUIZAR_VERSION
#define QUIZAR_VERSION "0.0.0.0"
#endif

namespace {
// Embedded in every program that links this library, found by GetFileVersionStr. The leading
// NUL keeps a file that merely mentions the tag from being taken for a version.
const char VersionMarker[] = "\0QuizarFileVersion:" QUIZAR_VERSION "\0";
constexpr qsizetype TagLength = 19; // "\0QuizarFileVersion:"
} // namespace

QByteArray TrimBlanks(QByteArrayView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && quint8(text[b]) <= 32)
        ++b;
    while (e > b && quint8(text[e - 1]) <= 32)
        --e;
    return text.sliced(b, e - b).toByteArray();
}

QByteArray CollapseBlanks(QByteArrayView text) {
    const QByteArray trimmed = TrimBlanks(text);
    QByteArray out;
    out.reserve(trimmed.size());
    for (char c : trimmed) {
        if (c == ' ' && out.endsWith(' '))
            continue;
        out.append(c);
    }
    return out;
}

QString CollapseBlanks(QStringView text) {
    return TextCodec::FromCp1251(CollapseBlanks(QByteArrayView(TextCodec::ToCp1251(text))));
}

QByteArray ComputerNameFromHost(const QString& hostName) {
    const QString label = hostName.section(QLatin1Char('.'), 0, 0);
    return TextCodec::ToCp1251(label.toUpper()).left(15);
}

QByteArray GetComputerNameStr() {
    return ComputerNameFromHost(QSysInfo::machineHostName());
}

QByteArray LoginNameFrom(const QString& userName) {
    // The system call this stands in for has room for 15 characters and fails beyond.
    if (userName.size() > 15)
        return {};
    return TextCodec::ToCp1251(userName);
}

QByteArray GetLoginName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("LOGNAME");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    return LoginNameFrom(name);
}

QString GetFileVersionStr(const QString& path) {
    // Touch the marker so that the linker keeps it.
    volatile char keep = VersionMarker[1];
    (void)keep;
    const QString none = QStringLiteral("0.0.0.0");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return none;
    const QByteArray tag(VersionMarker, TagLength);
    QByteArray window;
    constexpr qint64 Block = qint64(1) << 20;
    for (;;) {
        const QByteArray block = f.read(Block);
        if (block.isEmpty())
            break;
        window = window.right(64) + block;
        const qsizetype at = window.indexOf(tag);
        if (at >= 0) {
            qsizetype end = window.indexOf('\0', at + TagLength);
            if (end < 0) {
                window += f.read(64);
                end = window.indexOf('\0', at + TagLength);
            }
            if (end < 0)
                break;
            const QString version =
                QString::fromLatin1(window.mid(at + TagLength, end - at - TagLength)).trimmed();
            return version.size() < 2 ? none : version;
        }
    }
    return none;
}
