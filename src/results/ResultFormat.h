#pragma once
// Number and time formats shared by the results log, the end-of-test summary and the results
// window, so that the three show a session with the same figures.
#include <QLocale>
#include <QString>

// A share in percent; nothing of nothing is 0 rather than a division fault.
double SharePercent(qint64 part, qint64 whole);
double SharePercent(double part, qint64 whole);

// One decimal with the locale's decimal separator, "-0.0" shown as "0.0".
QString OneDecimal(double value, const QLocale& locale);

// The time of day of a stored date-time, "hh:nn:ss"; 00:00:00 for a value that is no date.
QString StoredTimeOfDay(double stored);

// A duration in seconds as a time of day: a day or more wraps, as a clock face would.
QString WrappedDuration(qint64 seconds);
