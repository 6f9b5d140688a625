#pragma once
// The texts of the server link, and the message boxes it asks the window to show. The link never
// shows a box itself: a report fails in the background, so its notice waits until the pupil pauses.
#include "ports/Prompts.h"

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
inline QString ResultLost() {
    return QStringLiteral("Результат не отправлен на сервер и не сохранён для повторной отправки!");
}
inline QString SelectTestCaption() {
    return QStringLiteral("Вибір тесту ...");
}

} // namespace NetTexts

// The message boxes of the server link.
namespace NetNotice {
// A report (start, progress, result) or the connection test could not reach the server.
inline Notice NoConnection() {
    return {NetTexts::ErrorCaption(), NetTexts::NoConnection(), MsgIcon::Error};
}
// A result reached neither the server nor the outbox (the disk refused it): nobody will send it
// again, though the results files on this computer may have it.
inline Notice ResultLost() {
    return {NetTexts::ErrorCaption(), NetTexts::ResultLost(), MsgIcon::Error};
}
// Fetching a test failed on the way.
inline Notice FetchFailed() {
    return {NetTexts::ErrorCaption(), NetTexts::FetchFailed(), MsgIcon::Error};
}
// The server answered, but gave no test.
inline Notice FetchRefused() {
    return {NetTexts::ProgramTitle(), NetTexts::FetchRefused(), MsgIcon::None};
}
inline Notice ConnectionOk() {
    return {NetTexts::ProgramTitle(), NetTexts::ConnectionOk(), MsgIcon::None};
}
} // namespace NetNotice
