#pragma once
// The fixed texts of the main window, its menus and its small windows.
#include <QStringView>

namespace MainFormTexts {

inline constexpr QStringView ProgramTitle = u"QuizarStudent";
inline constexpr QStringView CaptionBase = u"Quizar Student";
inline constexpr QStringView ChooseTest = u"Для початку роботи оберіть тест!...";
inline constexpr QStringView CloseDuringTestCaption = u"Увага! Триває тестування...";
inline constexpr QStringView CloseDuringTestText = u"Ви бажаєте вийти із програми під час тестаування?";
inline constexpr QStringView CalcFailed = u"Помилка запуску стандартного калькулятора";
inline constexpr QStringView OpenFilter = u"Тести Quizar (*.qzf)";
inline constexpr QStringView ConfigQuestionCaption = u"Внимание!";
inline constexpr QStringView SaveConfigQuestion = u"Ви бажаєте зберегти налаштування програми зараз?";
inline constexpr QStringView LoadConfigQuestion = u"Ви бажаєте завантажити налаштування програми зараз?";

// Menus.
inline constexpr QStringView MenuFile = u"&Файл";
inline constexpr QStringView MenuTest = u"&Тест";
inline constexpr QStringView MenuSettings = u"&Налаштування";
inline constexpr QStringView MenuHelp = u"&Довідка";
inline constexpr QStringView MenuPreviousFiles = u"Попередні файли";
inline constexpr QStringView MenuSizeFont = u"Розмір шрифту";
inline constexpr QStringView MenuZoom = u"Маштаб";

// The session area.
inline constexpr QStringView QuestionLabelIdle = u"Інформація";
inline constexpr QStringView VariantLabelIdle = u"Оберіть один із %1 варіантів відповіді:";
inline constexpr QStringView QuestionImageHint = u"Для збільшення малюнка клацніть по ньому...";
inline constexpr QStringView TaskListPlaceholder = u"Перейти до іншого питання...";

// Status bar, panel 0 per state.
inline constexpr QStringView StatusNoTest = u"Тест не обрано";
inline constexpr QStringView StatusTestLoaded = u"Тест обрано";
inline constexpr QStringView StatusTesting = u"Тест триває";
// Panels 6 to 9: education mode, penalties, skipping (a Latin C), exclusive mode.
inline constexpr QStringView FlagEducation = u"О";
inline constexpr QStringView FlagPenalise = u"Ш";
inline constexpr QStringView FlagSkipping = u"C";
inline constexpr QStringView FlagMono = u"М";

} // namespace MainFormTexts
