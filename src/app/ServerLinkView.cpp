#include "ServerLinkView.h"

#include "model/TextCodec.h"
#include "net/NetServerLink.h"
#include "net/gui/SelectTestForm.h"
#include "ports/Prompts.h"

#include <QApplication>
#include <QPointer>

#include <utility>

ServerLinkView::ServerLinkView(NetServerLink& link, Prompts& prompts, QWidget& dialogOwner, Host host)
    : m_link(link), m_prompts(prompts), m_host(std::move(host)),
      m_selectForm(std::make_unique<TSelectTestForm>(&dialogOwner)) {
    m_modalWait.setSingleShot(true);
    m_modalWait.setInterval(ModalPollMs);
    connect(&m_modalWait, &QTimer::timeout, this, &ServerLinkView::ShowWaitingNotices);
    // Queued: a box is never opened from inside the exchange that failed.
    connect(&m_link, &NetServerLink::NoticesPending, this, &ServerLinkView::NoticesArrived,
            Qt::QueuedConnection);
    connect(&m_link, &NetServerLink::FetchingChanged, this, [this] {
        if (m_host.commandsChanged)
            m_host.commandsChanged();
    });
}

ServerLinkView::~ServerLinkView() = default;

bool ServerLinkView::IsFetching() const {
    return m_link.IsFetching();
}

bool ServerLinkView::FetchTest() {
    QPointer<TSelectTestForm> form = m_selectForm.get();
    TestChooser chooser = [form](const QList<QByteArray>& entries, std::function<void(int)> choose) {
        if (form)
            form->Ask(entries, std::move(choose));
        else
            choose(-1);
    };
    QPointer<ServerLinkView> self = this;
    return m_link.FetchTest(std::move(chooser), [self](const FetchOutcome& outcome) {
        // Loading may ask for a password: it runs after the exchange has been put away.
        if (self)
            QMetaObject::invokeMethod(
                self, [self, outcome] { self->FetchEnded(outcome); }, Qt::QueuedConnection);
    });
}

void ServerLinkView::FetchEnded(const FetchOutcome& outcome) {
    if (outcome.end == FetchEnd::Loaded) {
        if (m_host.loadTest)
            m_host.loadTest(TextCodec::FromCp1251(outcome.testName), outcome.testFile);
    } else if (const std::optional<Notice> notice = outcome.NoticeToShow()) {
        m_ownNotices.append(*notice);
        ShowWaitingNotices();
    }
}

void ServerLinkView::NoticesArrived() {
    if (m_host.isWorking && m_host.isWorking())
        return;
    ShowWaitingNotices();
}

void ServerLinkView::ShowWaitingNotices() {
    // A box runs its own event loop, in which more notices may arrive: they join this round.
    if (m_showing)
        return;
    // Over a dialog the pupil is reading (the report, the results) a box would open beneath it on
    // some window managers and block it unseen: it waits until that dialog has closed.
    if (QApplication::activeModalWidget()) {
        if (!m_ownNotices.isEmpty() || m_link.HasNotices())
            m_modalWait.start();
        return;
    }
    m_showing = true;
    while (!m_ownNotices.isEmpty() || m_link.HasNotices()) {
        const QList<Notice> notices = std::exchange(m_ownNotices, {}) + m_link.TakeNotices();
        for (const Notice& notice : notices)
            m_prompts.Show(notice);
    }
    m_showing = false;
}
