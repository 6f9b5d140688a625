#pragma once
// Lets a test run a command that ends in modal windows: while it lives, the modal window on
// screen is looked at (its title recorded, then `inspect`) and closed, every 20 ms.
#include <QApplication>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class ModalWatcher : public QObject {
public:
    explicit ModalWatcher(std::function<void(QWidget&)> inspect = {}) : m_inspect(std::move(inspect)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            titles.append(modal->windowTitle());
            if (m_inspect)
                m_inspect(*modal);
            modal->close();
        });
        m_timer.start(20);
    }

    QStringList titles;

private:
    std::function<void(QWidget&)> m_inspect;
    QTimer m_timer;
};
