#pragma once
// The texts of the server link, and the message boxes it asks the window to show. The link never
// shows a box itself: a report fails in the background, so its notice waits until the pupil pauses.
#include "model/Prompts.h"

#include <QString>

namespace NetTexts {

inline QString ErrorCaption() {
    return QStringLiteral("Ошибка!");
}
inline QString ProgramTitle() {
    return QStringLiteral("QuizarStudent");
}
inline QString NoConnection() {
    return QStringLiteral("Нет связи с сервером!");
}
inline QString FetchFailed() {
    return QStringLiteral("Ошибка связи с сервером!");
}
inline QString FetchRefused() {
    return QStringLiteral("Отказано в получении теста...");
}
inline QString ConnectionOk() {
    return QStringLiteral("Соединение прошло успешно...");
}
inline QString SelectTestCaption() {
    return QStringLiteral("Вибір тесту ...");
}

} // namespace NetTexts

// One message box for the window to show.
struct NetNotice {
    QString caption;
    QString text;
    MsgIcon icon = MsgIcon::None;

    bool operator==(const NetNotice&) const = default;

    // A report (start, progress, result) or the connection test could not reach the server.
    static NetNotice NoConnection() {
        return {NetTexts::ErrorCaption(), NetTexts::NoConnection(), MsgIcon::Error};
    }
    // Fetching a test failed on the way.
    static NetNotice FetchFailed() {
        return {NetTexts::ErrorCaption(), NetTexts::FetchFailed(), MsgIcon::Error};
    }
    // The server answered, but gave no test.
    static NetNotice FetchRefused() {
        return {NetTexts::ProgramTitle(), NetTexts::FetchRefused(), MsgIcon::None};
    }
    static NetNotice ConnectionOk() {
        return {NetTexts::ProgramTitle(), NetTexts::ConnectionOk(), MsgIcon::None};
    }
};
