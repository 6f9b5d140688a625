#pragma once
// Stored date-times are days since 1899-12-30 00:00 as a double, the fraction being the local time
// of day. Negative values count days backwards with the time of day still added forwards.
#include <QDateTime>

double DateTimeToDouble(const QDateTime& dt);
QDateTime DoubleToDateTime(double days);
// "dd.mm.yyyy hh:nn:ss" on a 24-hour clock, as every log line and report shows a date.
QString FormatDateTime(const QDateTime& dt);
// "hh:nn:ss" for a duration in seconds; hours go past 24 rather than wrapping.
QString FormatDuration(qint64 seconds);
