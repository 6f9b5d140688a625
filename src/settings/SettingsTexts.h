#pragma once
// The fixed texts of the settings file and the per-user store.
#include <QStringView>

namespace SettingsTexts {

// Caption of the plain message boxes: the program's title.
inline constexpr QStringView ProgramTitle = u"QuizarStudent";
inline constexpr QStringView LoadFailed = u"Помилка при завантаженні параметрів програми!";
inline constexpr QStringView SaveFailed = u"Помилка при збереженні параметрів програми!";

} // namespace SettingsTexts
