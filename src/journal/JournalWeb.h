#pragma once
// The teacher's page: static files from the program's resources and the JSON and CSV behind them,
// served over HTTP. The page polls /api/sessions; the answer is cached per change of the store and
// carries an ETag, so a poll that finds nothing new costs a 304 and no query.
#include "JournalStore.h"

#include <QHostAddress>
#include <QObject>

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;

class JournalWeb : public QObject {
    Q_OBJECT
public:
    explicit JournalWeb(JournalStore& store, QObject* parent = nullptr);
    ~JournalWeb() override;

    Status Listen(const QHostAddress& address, quint16 port);
    quint16 Port() const { return m_port; }

    // The store changed: the next poll reads it again.
    void Invalidate() { ++m_revision; }

    // The answer of GET /api/sessions, for tests and for the page.
    QByteArray SessionsJson();

signals:
    // After every answered request, with its path.
    void Served(const QString& path);

private:
    QHttpServerResponse Sessions(const QHttpServerRequest& request);
    QHttpServerResponse ResultsCsv(const QHttpServerRequest& request);
    QHttpServerResponse Resource(const QString& name, const QByteArray& mimeType);

    JournalStore& m_store;
    QHttpServer* m_http;
    quint16 m_port = 0;
    quint64 m_revision = 1;
    quint64 m_cachedRevision = 0;
    QByteArray m_cachedJson;
    QByteArray m_instance; // tells the ETags of two runs apart
};
