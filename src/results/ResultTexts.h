#pragma once
// The fixed texts that the results log and the protected results file write or show. The log
// stores them in code page 1251 (TextCodec::ToCp1251); message boxes take them as they are.
#include <QStringView>

namespace ResultTexts {

inline constexpr QStringView ProgramStarted = u"Запущена программа QuizarStudent.";
inline constexpr QStringView TestStarted = u"Начат тест: ";
inline constexpr QStringView ProgramClosed = u"Закрыта программа QuizarStudent.";

inline constexpr QStringView EndAllDone = u"Тест закончен...";
inline constexpr QStringView EndStopped = u"Тест остановлен...";
inline constexpr QStringView EndTimeOut = u"Тест закончен - вышло время...";
inline constexpr QStringView EndProgramClosed = u"Тест прерван - закрыта программа...";

inline constexpr QStringView ComputerName = u"Имя компьютера: \"%s\"";
inline constexpr QStringView LoginName = u"Имя пользователя компьютера: \"%s\"";
inline constexpr QStringView UserName = u"Имя пользователя (тестируемого): \"%s\"";
inline constexpr QStringView UserGroup = u"Группа (класс) пользователя (тестируемого): \"%s\"";
inline constexpr QStringView TestTitle = u"Название теста: \"%s\"";
inline constexpr QStringView TestFile = u"Файл с тестом: \"%s\"";
inline constexpr QStringView TestCrc = u"CRC Файла с тестом: \"%s\"";
inline constexpr QStringView AskCount = u"Всего заданий в тесте: %d.";
inline constexpr QStringView AskedCount = u"Выполнено заданий: %d.";
inline constexpr QStringView RightCount = u"Из них правильно: %d (%1.1f%% выполненых заданий).";
inline constexpr QStringView WrongCount = u"Из них ошибок: %d (%1.1f%% выполненых заданий).";
inline constexpr QStringView Effectiveness = u"Результативность: %1.1f%%.";
inline constexpr QStringView HintCount = u"Использовано подсказок: %d.";
inline constexpr QStringView Score = u"Набрано баллов: %1.1f из %d возможных. Ваш результат: %1.1f%%.";
inline constexpr QStringView Mark = u"Оценка: %s.";
inline constexpr QStringView ResultMask = u"Маска результата: \"%s\".";
inline constexpr QStringView TimeMask = u"Маска времени обдумывания (в секундах): \"%s\".";
inline constexpr QStringView AnswerMask = u"Маска ответов: \"%s\".";
inline constexpr QStringView HintMask = u"Маска штрафов за подсказку: \"%s\".";
inline constexpr QStringView StartTime = u"Время начала: %s.";
inline constexpr QStringView EndTime = u"Время завершения: %s.";
inline constexpr QStringView Duration = u"Продолжительность: %s.";

inline constexpr QStringView LogWriteFailed = u"Помилка запису у файл результатів.";
inline constexpr QStringView LogWriteFailedCaption = u"Внимание!";
inline constexpr QStringView WrongFileType = u"Неверный тип файла!";
inline constexpr QStringView WrongFileTypeCaption = u"Ошибка!";
inline constexpr QStringView ProtectedWriteFailed = u"Помилка запису у захищений файл результатів.";
inline constexpr QStringView ProtectedWriteFailedCaption = u"Увага!";

} // namespace ResultTexts
