#include "WindowCaption.h"

QString WindowCaption(bool hasTest, const QString& fileName) {
    const QString program = QStringLiteral("Quizar Student");
    if (!hasTest)
        return program;
    qsizetype cut = -1;
    for (QChar sep : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')})
        cut = std::max(cut, fileName.lastIndexOf(sep));
    return QStringLiteral("%1 - %2").arg(fileName.mid(cut + 1), program);
}
