#pragma once
// The texts the session shows in message boxes, in one place.
#include <QString>

namespace SessionTexts {

inline QString ErrorCaption() {
    return QStringLiteral("Помилка!");
}
inline QString AttentionCaption() {
    return QStringLiteral("Увага!");
}
inline QString WarningCaption() {
    return QStringLiteral("Внимание!");
}
inline QString AppCaption() {
    return QStringLiteral("Quizar");
}
inline QString RunningCaption() {
    return QStringLiteral("Увага! Триває тестування...");
}

inline QString WrongPassword() {
    return QStringLiteral("Неправильний пароль!");
}
inline QString RunLimitReached(qint32 maxRuns) {
    return QStringLiteral(
               "Вибачте, але цей тест не може бути запущеним більше %1 раз \n\rбез перезавантаження "
               "комп’ютера.")
        .arg(maxRuns);
}
inline QString NoTasks() {
    return QStringLiteral("У тесті немає завдань для виконання.");
}
inline QString TaskTimeUp() {
    return QStringLiteral("Час обмірковування завдання вичерпано!");
}
inline QString TestTimeUp() {
    return QStringLiteral("Час тестування вичерпано!");
}
inline QString StopTestQuestion() {
    return QStringLiteral("Ви бажаєте зупинити тестування?");
}
inline QString CloseQuestion() {
    return QStringLiteral("Ви бажаєте вийти із програми під час тестаування?");
}
inline QString ResultsCaption() {
    return QStringLiteral("Результати тестування");
}
inline QString ResultsWithTeacher() {
    return QStringLiteral("Тест закінчено... \r\nРезультати тестування\r\nВи можете взнати у вчителя.");
}
inline QString HintViewerCaption() {
    return QStringLiteral("Подсказка к заданию...");
}
inline QString ExplanationViewerCaption() {
    return QStringLiteral("Пояснение к ответу");
}

// A session left unfinished by an earlier run.
inline QString ResumeCaption() {
    return QStringLiteral("Незавершене тестування");
}
inline QString ResumeContinue() {
    return QStringLiteral("Продовжити");
}
inline QString ResumeKeepingTime() {
    return QStringLiteral("Продовжити без втрати часу");
}
inline QString ResumeRefuse() {
    return QStringLiteral("Відмовитися");
}
inline QString ResumeIntro() {
    return QStringLiteral("Тестування не було завершено: програму закрито аварійно або комп’ютер вимкнувся.");
}
inline QString ResumePupil() {
    return QStringLiteral("Учень:");
}
inline QString ResumeTest() {
    return QStringLiteral("Тест:");
}
inline QString ResumeAnswered() {
    return QStringLiteral("Виконано завдань:");
}
inline QString ResumeAnsweredCount(qint32 answered, qint32 askCount) {
    return QStringLiteral("%1 із %2").arg(answered).arg(askCount);
}
inline QString ResumeTimeLeft() {
    return QStringLiteral("Залишилось часу:");
}
inline QString ResumeNoTimeLimit() {
    return QStringLiteral("час не обмежено");
}
inline QString ResumeTimeNote() {
    return QStringLiteral("Час, поки програма не працювала, зараховано як використаний.");
}
inline QString RefuseQuestion() {
    return QStringLiteral("Тестування буде завершено з уже збереженими відповідями, як при закритті "
                          "програми. Відмовитися від продовження?");
}
// The log line of a resumed session, beside "Начат тест: ".
inline QString TestResumedLog() {
    return QStringLiteral(" Продолжен тест: \"");
}
inline QString JournalWriteFailed() {
    return QStringLiteral("Не вдалося записати журнал тестування (можливо, диск заповнено).\r\n"
                          "Якщо зараз програма аварійно закриється або комп’ютер вимкнеться, відповіді "
                          "цього тестування буде втрачено. Повідомте вчителя.");
}
inline QString JournalDamaged(const QString& whereNow) {
    return QStringLiteral("Журнал незавершеного тестування пошкоджено або змінено, тому тестування не "
                          "можна продовжити.\r\nФайл журналу перенесено: %1")
        .arg(whereNow);
}
inline QString CannotResume(const QString& testTitle, const QString& pupil) {
    return QStringLiteral("Тестування \"%1\" (%2) не можна продовжити: файл тесту відсутній, змінений "
                          "або не відкривається.\r\nТестування завершено з відповідями, що були збережені.")
        .arg(testTitle, pupil);
}

// The instruction above the answer widgets of a task kind; `variantCount` is the task's
// LastVariant. Empty for a task of no kind.
inline QString TaskPrompt(int kind, int variantCount) {
    switch (kind) {
    case 1:
        return QStringLiteral("Оберіть один із %1 варіантів відповіді:").arg(variantCount);
    case 2:
        return QStringLiteral("Оберіть декілька із %1 варіантів відповіді:").arg(variantCount);
    case 3:
        return QStringLiteral("Вкажіть порядок слідування всіх %1 варіантів відповіді:").arg(variantCount);
    case 4:
        return QStringLiteral("Вкажіть відповідність для всіх %1 варіантів відповіді:").arg(variantCount);
    case 5:
        return QStringLiteral("Вкажіть істинність або хибність для %1 варіантів відповіді:")
            .arg(variantCount);
    case 6:
        return QStringLiteral("Введіть число:");
    case 7:
        return QStringLiteral("Введіть відповідь:");
    case 8:
        return QStringLiteral("Вкажіть місце на малюнку:");
    default:
        return QString();
    }
}

} // namespace SessionTexts
