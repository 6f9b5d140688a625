#include "ResultFormat.h"

#include "model/DateTime.h"

double SharePercent(qint64 part, qint64 whole) {
    return whole == 0 ? 0.0 : double(part) * 100.0 / double(whole);
}

double SharePercent(double part, qint64 whole) {
    return whole == 0 ? 0.0 : part * 100.0 / double(whole);
}

QString OneDecimal(double value, const QLocale& locale) {
    QString s = QString::number(value, 'f', 1);
    if (s == QLatin1String("-0.0"))
        s = QStringLiteral("0.0");
    const QString separator = locale.decimalPoint();
    return s.replace(QLatin1Char('.'), separator.isEmpty() ? QStringLiteral(".") : separator);
}

QString StoredTimeOfDay(double stored) {
    const QDateTime dt = DoubleToDateTime(stored);
    const int secs = dt.isValid() ? dt.time().msecsSinceStartOfDay() / 1000 : 0;
    return FormatDuration(secs);
}

QString WrappedDuration(qint64 seconds) {
    return FormatDuration(((seconds % 86400) + 86400) % 86400);
}
