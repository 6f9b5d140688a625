#pragma once
// The main window's side of the teacher's server: the fetch command and the message boxes of the
// reports that failed in the background.
//
// A report fails while the pupil may be typing an answer, so its box waits for the next pause: right
// after a task is checked, skipped or given up, or when the session ends. Between sessions a box is
// shown at once.
#include "ports/Prompts.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class NetServerLink;
struct FetchOutcome;
class QByteArray;
class QString;
class QWidget;
class TSelectTestForm;

class ServerLinkView : public QObject {
    Q_OBJECT
public:
    // How often waiting boxes look whether the dialog that holds them back has closed.
    static constexpr int ModalPollMs = 300;

    struct Host {
        // Opens a downloaded test under the name the server gave it.
        std::function<void(const QString& name, const QByteArray& bytes)> loadTest;
        // The pupil is in a session: boxes wait for a pause.
        std::function<bool()> isWorking;
        // What the window's commands allow may have changed (a fetch began or ended).
        std::function<void()> commandsChanged;
    };

    ServerLinkView(NetServerLink& link, Prompts& prompts, QWidget& dialogOwner, Host host);
    ~ServerLinkView() override;

    // The command "Отримати по мережі": false when nothing started (the server is not in use, or a
    // fetch already runs).
    bool FetchTest();
    bool IsFetching() const;
    // A pause in the pupil's work: the waiting boxes are shown now.
    void ShowWaitingNotices();
    // The choice of a test, for tests.
    TSelectTestForm* SelectForm() const { return m_selectForm.get(); }

private:
    void FetchEnded(const FetchOutcome& outcome);
    void NoticesArrived();

    NetServerLink& m_link;
    Prompts& m_prompts;
    Host m_host;
    std::unique_ptr<TSelectTestForm> m_selectForm;
    // The boxes of fetches that failed, shown like the link's.
    QList<Notice> m_ownNotices;
    QTimer m_modalWait;
    bool m_showing = false;
};
