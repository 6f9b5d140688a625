#pragma once
// How many times a test was started since the computer started. The counts are kept per user
// under "CountRunTest", one decimal string per test identifier; beside them a marker per test
// says that the test was already started since the computer last started.
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class UserStore;

class RunCounterStore {
public:
    virtual ~RunCounterStore() = default;
    // The stored count text of a test; nullopt when there is none.
    virtual std::optional<QByteArray> ReadCount(const QByteArray& testUId) = 0;
    virtual void WriteCount(const QByteArray& testUId, const QByteArray& value) = 0;
    // True when the test was counted since the computer last started.
    virtual bool MarkerExists(const QByteArray& testUId) = 0;
    virtual void CreateMarker(const QByteArray& testUId) = 0;
};

// Counts a start of the test and returns how many earlier starts were counted since the computer
// started. The first start after a computer start returns 0 and resets the count; a missing or
// unreadable count while the marker exists counts as 100.
qint32 CountTestRun(RunCounterStore& store, const QByteArray& testUId);

// For tests: everything in memory; Reboot() forgets the markers as a computer restart would.
class MemoryRunCounterStore final : public RunCounterStore {
public:
    std::optional<QByteArray> ReadCount(const QByteArray& testUId) override;
    void WriteCount(const QByteArray& testUId, const QByteArray& value) override;
    bool MarkerExists(const QByteArray& testUId) override { return m_markers.contains(testUId); }
    void CreateMarker(const QByteArray& testUId) override { m_markers.insert(testUId); }
    void Reboot() { m_markers.clear(); }

    QHash<QByteArray, QByteArray> counts;

private:
    QSet<QByteArray> m_markers;
};

// Over the per-user store: the counts live in the group "CountRunTest"; the marker is the
// machine's boot id stored under "CountRunTestBoot", so it lapses when the computer restarts. When
// no boot id can be read the markers live only as long as this object.
class SettingsRunCounterStore final : public RunCounterStore {
public:
    using BootIdSource = std::function<QByteArray()>;

    // An empty boot id source reads /proc/sys/kernel/random/boot_id.
    explicit SettingsRunCounterStore(UserStore& store, BootIdSource bootId = {});

    std::optional<QByteArray> ReadCount(const QByteArray& testUId) override;
    void WriteCount(const QByteArray& testUId, const QByteArray& value) override;
    bool MarkerExists(const QByteArray& testUId) override;
    void CreateMarker(const QByteArray& testUId) override;

    static QByteArray SystemBootId();

private:
    UserStore& m_store;
    QByteArray m_bootId;
    QSet<QByteArray> m_localMarkers;
};
