#pragma once
// One running copy per user. The first copy holds a lock file and listens on a local socket, both
// in the user's runtime folder; a later copy sends its first argument over the socket as one
// message (one connection, the message ends when the connection closes) and exits.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QQueue>
#include <QString>

#include <memory>

class SingleInstance : public QObject {
    Q_OBJECT
public:
    static inline const QString DefaultName = QStringLiteral("QuizarStudent_FileCommand");
    // A hand-off is a path; a longer message is not ours and is dropped.
    static constexpr qint64 MaxMessageBytes = 64 * 1024;

    enum class Role {
        First,  // this copy runs the program and receives hand-offs
        Later,  // another copy runs: hand the argument over and end
        Failed, // neither: end silently
    };

    // `folder` empty means the user's runtime folder.
    explicit SingleInstance(QString name = DefaultName, QString folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening, or finds the copy that holds it. A lock or socket left
    // behind by a copy that died is taken over.
    Role Start();
    // The two halves of Start: the lock needs no application object, listening does. The program
    // takes the lock first so that a later copy never has to build a graphical application.
    Role TakeLock();
    bool Listen();

    // A later copy: delivers one message to the first copy, waiting up to `timeoutMs` for it to
    // listen (it may have just taken the lock). False when it cannot be reached.
    bool SendMessage(const QByteArray& message, int timeoutMs = 3000) const;

    // The next waiting message, or an empty one when none waits. An empty message that was sent
    // also comes out empty, which ends a draining loop; the ones behind it wait for the next signal.
    QByteArray ReadMessage();
    bool HasMessages();

    QString SocketPath() const;
    QString LockPath() const;

signals:
    // A message arrived; several arrivals may be read by one draining loop.
    void MessageArrived();

private:
    void OnNewConnection();
    // Drops the messages at the head that were refused.
    void SkipRefused();

    // One connection's message, kept in the order the connections came, so that messages are read
    // in the order they were sent even when a later connection finishes first.
    struct Pending {
        QByteArray data;
        bool complete = false;
        bool refused = false; // too long, or never finished
    };

    QString m_name;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    QQueue<std::shared_ptr<Pending>> m_messages;
};
