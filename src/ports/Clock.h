#pragma once
// "Now" is injected so that greetings, start and end times and log lines can be tested.
#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until a test moves it.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime Now() const override { return m_now; }
    void Set(const QDateTime& now) { m_now = now; }
    void AddSecs(qint64 s) { m_now = m_now.addSecs(s); }

private:
    QDateTime m_now;
};
