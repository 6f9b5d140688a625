#pragma once
// The fixed texts of the information windows, the viewers and the picture loader, each kept once.
// Placeholders are QString::arg's: %1, %2 in order.
#include <QString>

namespace UiTexts {

inline QString Text(const char16_t* s) {
    return QString::fromUtf16(s);
}

inline constexpr char16_t ProgramTitle[] = u"QuizarStudent";
inline constexpr char16_t Ok[] = u"OK";
inline constexpr char16_t OkCyrillic[] = u"ОК"; // the information window's button is spelt in Cyrillic

// Viewers
inline constexpr char16_t ViewerCaption[] = u"Перегляд";
inline constexpr char16_t PictureViewerCaption[] = u"Перегляд малюнка до завдання";

// Pictures
inline constexpr char16_t PictureMissing[] = u"Файл: %1 с изображением отсутствует!";
inline constexpr char16_t PictureLoadError[] = u"Ошибка загрузки изображения!";

// Test information and instruction
inline constexpr char16_t TestInfoCaption[] = u"Інформація про тест";
inline constexpr char16_t OpenedTest[] = u"Открыт тест: \"%1\"";
inline constexpr char16_t TaskCount[] = u"Всего заданий в тесте: %1.";
inline constexpr char16_t Criteria[] = u"Критерии оценивания:";
inline constexpr char16_t Criterion[] = u"  \"%1\" не менее %2% макс. баллов;";
inline constexpr char16_t GoodLuck[] = u"Желаем выполнить все задания правильно...";
inline constexpr char16_t HowToStart[] = u"Для начала прохождения теста дайте команду Тест -> Начать...";
inline constexpr char16_t Author[] = u"Автор теста: %1";
inline constexpr char16_t Description[] = u"Описание теста:";
inline constexpr char16_t TaskOrderRandom[] = u"Порядок следования заданий: случайный.";
inline constexpr char16_t TaskOrderNormal[] = u"Порядок следования заданий: нормальный.";
inline constexpr char16_t VariantOrderRandom[] = u"Порядок следования вариантов: случайный.";
inline constexpr char16_t VariantOrderNormal[] = u"Порядок следования вариантов: нормальный.";
inline constexpr char16_t TimeLimitLine[] = u"%1: %2.";
inline constexpr char16_t TimeLimitName[] = u"Ограничение по времени для всего теста";
inline constexpr char16_t UId[] = u"UId теста: %1";
inline constexpr char16_t Created[] = u"Тест создан: %1.";
inline constexpr char16_t Saved[] = u"Тест сохранен: %1.";
inline constexpr char16_t InstructionCaption[] = u"Инструкция к тесту \"%1\"";

} // namespace UiTexts
