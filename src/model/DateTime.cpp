#include "DateTime.h"

#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);
constexpr qint64 MsPerDay = 86400000;
} // namespace

double DateTimeToDouble(const QDateTime& dt) {
    const QDateTime local = dt.toLocalTime();
    const qint64 days = Epoch.daysTo(local.date());
    const double frac = double(local.time().msecsSinceStartOfDay()) / double(MsPerDay);
    return days >= 0 ? double(days) + frac : double(days) - frac;
}

QDateTime DoubleToDateTime(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return {};
    const double whole = std::trunc(value);
    const double frac = std::fabs(value - whole);
    qint64 ms = std::llround(frac * double(MsPerDay));
    qint64 days = qint64(whole);
    if (ms >= MsPerDay) {
        ms -= MsPerDay;
        days += value >= 0 ? 1 : -1;
    }
    return QDateTime(Epoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

QString FormatDateTime(const QDateTime& dt) {
    return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString FormatDuration(qint64 seconds) {
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
