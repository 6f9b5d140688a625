#include "ExchangeQueue.h"

#include "Exchange.h"

ExchangeQueue::ExchangeQueue(QObject* parent) : QObject(parent) {}

ExchangeQueue::~ExchangeQueue() {
    m_waiting.clear();
    if (m_running) {
        m_running->disconnect(this);
        m_running->Abort();
        delete m_running;
        m_running = nullptr;
    }
}

void ExchangeQueue::Enqueue(QueueTag tag, Make make, Done done) {
    m_waiting.push_back({std::move(tag), std::move(make), std::move(done)});
    StartNext();
}

QList<QueueTag> ExchangeQueue::Drop(const std::function<bool(const QueueTag&)>& match) {
    QList<QueueTag> dropped;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (match(it->tag)) {
            dropped.append(it->tag);
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
    if (IsIdle() && !dropped.isEmpty() && !m_starting)
        emit Idle();
    return dropped;
}

QList<QueueTag> ExchangeQueue::Tags() const {
    QList<QueueTag> tags;
    if (m_running)
        tags.append(m_current.tag);
    for (const Entry& e : m_waiting)
        tags.append(e.tag);
    return tags;
}

void ExchangeQueue::StartNext() {
    // A done handler may queue more; the loop below picks it up.
    if (m_running || m_starting)
        return;
    m_starting = true;
    while (!m_running && !m_waiting.empty()) {
        Entry entry = std::move(m_waiting.front());
        m_waiting.pop_front();
        Exchange* exchange = entry.make ? entry.make() : nullptr;
        if (!exchange)
            continue;
        exchange->setParent(this);
        m_current = std::move(entry);
        m_running = exchange;
        connect(exchange, &Exchange::Finished, this, &ExchangeQueue::OnFinished);
        exchange->Start();
    }
    m_starting = false;
    if (IsIdle())
        emit Idle();
}

void ExchangeQueue::OnFinished() {
    Exchange* finished = m_running;
    if (!finished || sender() != finished)
        return;
    Entry entry = std::move(m_current);
    m_current = {};
    finished->disconnect(this);
    // The next exchange is held back until the done handler has run, so a handler that drops
    // waiting entries drops them before any of them starts.
    m_starting = true;
    if (entry.done)
        entry.done(*finished);
    m_starting = false;
    m_running = nullptr;
    finished->deleteLater();
    StartNext();
}
