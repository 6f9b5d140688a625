#include "RunCounter.h"

#include "settings/UserStore.h"

#include <QFile>
#include <QSettings>

#include <climits>

qint32 CountTestRun(RunCounterStore& store, const QByteArray& testUId) {
    if (!store.MarkerExists(testUId)) {
        store.CreateMarker(testUId);
        store.WriteCount(testUId, "1");
        return 0;
    }
    bool ok = false;
    qint32 count = 0;
    if (const auto text = store.ReadCount(testUId))
        count = text->trimmed().toInt(&ok);
    if (!ok)
        count = 100;
    // Saturate rather than wrap: the count only ever has to stay at or above the limit.
    store.WriteCount(testUId, QByteArray::number(count < INT_MAX ? count + 1 : count));
    return count;
}

std::optional<QByteArray> MemoryRunCounterStore::ReadCount(const QByteArray& testUId) {
    const auto it = counts.constFind(testUId);
    if (it == counts.constEnd())
        return std::nullopt;
    return *it;
}

void MemoryRunCounterStore::WriteCount(const QByteArray& testUId, const QByteArray& value) {
    counts.insert(testUId, value);
}

namespace {
const QString BootGroup = QStringLiteral("CountRunTestBoot");
}

SettingsRunCounterStore::SettingsRunCounterStore(UserStore& store, BootIdSource bootId)
    : m_store(store), m_bootId(bootId ? bootId() : SystemBootId()) {}

std::optional<QByteArray> SettingsRunCounterStore::ReadCount(const QByteArray& testUId) {
    const std::optional<QString> v = m_store.CountRunTest(QString::fromLatin1(testUId));
    if (!v)
        return std::nullopt;
    return v->toLatin1();
}

void SettingsRunCounterStore::WriteCount(const QByteArray& testUId, const QByteArray& value) {
    m_store.SetCountRunTest(QString::fromLatin1(testUId), QString::fromLatin1(value));
    m_store.Sync();
}

bool SettingsRunCounterStore::MarkerExists(const QByteArray& testUId) {
    if (m_bootId.isEmpty())
        return m_localMarkers.contains(testUId);
    return m_store.Value(BootGroup, QString::fromLatin1(testUId)).value_or(QString()).toLatin1() == m_bootId;
}

void SettingsRunCounterStore::CreateMarker(const QByteArray& testUId) {
    if (m_bootId.isEmpty()) {
        m_localMarkers.insert(testUId);
        return;
    }
    m_store.SetValue(BootGroup, QString::fromLatin1(testUId), QString::fromLatin1(m_bootId));
    m_store.Sync();
}

QByteArray SettingsRunCounterStore::SystemBootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}
