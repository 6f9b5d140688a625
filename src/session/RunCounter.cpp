#include "RunCounter.h"

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
QString Key(const char* group, const QByteArray& testUId) {
    return QString::fromLatin1(group) + u'/' + QString::fromLatin1(testUId);
}
} // namespace

SettingsRunCounterStore::SettingsRunCounterStore(const QString& iniPath, BootIdSource bootId)
    : m_settings(iniPath.isEmpty()
                     ? std::make_unique<QSettings>(QStringLiteral("Quizar3"), QStringLiteral("Student"))
                     : std::make_unique<QSettings>(iniPath, QSettings::IniFormat)),
      m_bootId(bootId ? bootId() : SystemBootId()) {}

SettingsRunCounterStore::~SettingsRunCounterStore() = default;

std::optional<QByteArray> SettingsRunCounterStore::ReadCount(const QByteArray& testUId) {
    const QVariant v = m_settings->value(Key("CountRunTest", testUId));
    if (!v.isValid())
        return std::nullopt;
    return v.toString().toLatin1();
}

void SettingsRunCounterStore::WriteCount(const QByteArray& testUId, const QByteArray& value) {
    m_settings->setValue(Key("CountRunTest", testUId), QString::fromLatin1(value));
    m_settings->sync();
}

bool SettingsRunCounterStore::MarkerExists(const QByteArray& testUId) {
    if (m_bootId.isEmpty())
        return m_localMarkers.contains(testUId);
    return m_settings->value(Key("CountRunTestBoot", testUId)).toString().toLatin1() == m_bootId;
}

void SettingsRunCounterStore::CreateMarker(const QByteArray& testUId) {
    if (m_bootId.isEmpty()) {
        m_localMarkers.insert(testUId);
        return;
    }
    m_settings->setValue(Key("CountRunTestBoot", testUId), QString::fromLatin1(m_bootId));
    m_settings->sync();
}

QByteArray SettingsRunCounterStore::SystemBootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().trimmed();
}
