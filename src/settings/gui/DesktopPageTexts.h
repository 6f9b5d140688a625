#pragma once
// The texts of the association and shortcut pages.
#include <QStringView>

namespace DesktopPageTexts {

inline constexpr QStringView AssociationCaption = u"Асоціація";
inline constexpr QStringView AssociationIntro =
    u"Ви можете асоціювати розширення файлів з програмою. Тоді файли можна буде відкривати подвійним "
    u"клацанням у файловому менеджері. \nАсоціація встановлюється для поточного користувача, права "
    u"адміністратора комп’ютера не потрібні.";
inline constexpr QStringView AssociationGroup = u"Виконати:";
inline constexpr QStringView AssociateCheck = u"Асоціювати файли тестів  Quizar (.QZF) з програмою";
inline constexpr QStringView NoteGroup = u"Примітка:";
inline constexpr QStringView AssociationNote =
    u"Після асоціації для файлів с тестами буде відображатися ось така іконка.";

inline constexpr QStringView ShortcutsCaption = u"Ярлики";
inline constexpr QStringView ShortcutsIntro =
    u"Ви можете створити ярлики для запуску програми з робочого столу або меню \"Пуск\". Тоді можна буде "
    u"запускати програму простіше і зручніше. Ярлики створюються для поточного користувача, права "
    u"адміністратора комп’ютера не потрібні.";
inline constexpr QStringView ShortcutsGroup = u"Створити ярлики:";
inline constexpr QStringView DesktopCheck = u"На робочому столі";
inline constexpr QStringView StartMenuCheck = u"В меню \"Пуск\"";
inline constexpr QStringView ShortcutsNote = u"У ярлика на робочому столі буде ось така іконка.";
inline constexpr QStringView DesktopShortcutMade = u"Ярлык на Рабочем столе создан.";
inline constexpr QStringView MenuShortcutMade = u"Ярлык в меню \"ПУСК\" создан.";

inline constexpr QStringView Apply = u"Застосувати";

} // namespace DesktopPageTexts
