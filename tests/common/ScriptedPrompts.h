#pragma once
// A Prompts implementation for tests: answers come from queues filled by the test, and every
// message shown is recorded so that the test can check caption, text and icon.
#include "ports/Prompts.h"

#include <QList>
#include <QQueue>

#include <optional>

#include <functional>

class ScriptedPrompts : public Prompts {
public:
    struct Message {
        QString caption;
        QString text;
        MsgIcon icon;
    };

    // Each password request takes the next answer; an empty optional means Cancel.
    QQueue<std::optional<QByteArray>> passwords;
    QQueue<bool> yesNo;
    QList<Message> messages;
    QList<Message> questions;
    int passwordRequests = 0;
    // Called inside every prompt, for tests that deliver an event while a dialog is open.
    std::function<void()> duringPrompt;

    bool AskPassword(QByteArray& entered) override {
        ++passwordRequests;
        RunDuring();
        if (passwords.isEmpty())
            return false;
        const auto answer = passwords.dequeue();
        entered = answer.value_or(QByteArray());
        return answer.has_value();
    }
    void ShowMessage(const QString& caption, const QString& text, MsgIcon icon) override {
        messages.append({caption, text, icon});
        RunDuring();
    }
    bool AskYesNo(const QString& caption, const QString& text, MsgIcon icon) override {
        questions.append({caption, text, icon});
        RunDuring();
        return yesNo.isEmpty() ? false : yesNo.dequeue();
    }

private:
    void RunDuring() {
        if (duringPrompt) {
            auto f = duringPrompt;
            f();
        }
    }
};
