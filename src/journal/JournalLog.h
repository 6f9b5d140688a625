#pragma once
// The journal's log: what it stored, what it refused and why, on standard error.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcJournal)
