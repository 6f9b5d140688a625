#pragma once
// The fixed texts of the settings file, the per-user store and the settings dialog.
#include <QStringView>

namespace SettingsTexts {

// Caption of the plain message boxes: the program's title.
inline constexpr QStringView ProgramTitle = u"QuizarStudent";
inline constexpr QStringView LoadFailed = u"Помилка при завантаженні параметрів програми!";
inline constexpr QStringView SaveFailed = u"Помилка при збереженні параметрів програми!";
// The settings password cannot be read or written; %1 is the value's name.
inline constexpr QStringView PasswordNotText = u"Значення «%1» у сховищі користувача не є текстом.";
inline constexpr QStringView PasswordNotWritten = u"Не вдалося записати пароль у сховище користувача.";

} // namespace SettingsTexts

// The settings dialog: its caption, the pages' captions and explanatory texts, the controls.
namespace ConfigTexts {

inline constexpr QStringView Caption = u"Додаткові налаштування";
inline constexpr QStringView Apply = u"Застосувати";
inline constexpr QStringView WrongPassword = u"Неправильний пароль...";

inline constexpr QStringView AssociationCaption = u"Асоціація";
inline constexpr QStringView LnkCaption = u"Ярлики";
inline constexpr QStringView NetCaption = u"Мережа";
inline constexpr QStringView FolderCaption = u"Папки";
inline constexpr QStringView SaveResultCaption = u"Збер. рез.";
inline constexpr QStringView ShowResultCaption = u"Вивід рез.";
inline constexpr QStringView ColorsCaption = u"Кольори";
inline constexpr QStringView UserNameCaption = u"Ім’я";
inline constexpr QStringView SoundCaption = u"Звук";
inline constexpr QStringView PasswordCaption = u"Пароль";

// The desktop pages say where test files are opened and who may bind them as this desktop has it:
// in the file manager, for the current user, with no administrator needed.
inline constexpr QStringView AssociationText =
    u"Ви можете асоціювати розширення файлів з програмою. Тоді файли можна буде відкривати подвійним "
    u"клацанням у файловому менеджері. \r\nАсоціація діє для поточного користувача, права адміністратора "
    u"комп’ютера не потрібні.";
inline constexpr QStringView LnkText =
    u"Ви можете створити ярлики для запуску програми з робочого столу або меню\"Пуск\". Тоді можна буде "
    u"запускати програму простіше і зручніше. Ярлики створюються для поточного користувача, права "
    u"адміністратора комп’ютера не потрібні.";
inline constexpr QStringView NetText =
    u"Результати проходження тесту можуть бути відправленні вчителю на сервер.  Також з сервера можуть бути "
    u"завантажені тести. Сервер - це комп’ютер вчителя. Для прийому результатів на сервері необхідно "
    u"запустити модуль журналу Quizar. Для роздачі тестів необхідно вказати потрібний файл в Журналі "
    u"Quizar...";
inline constexpr QStringView FolderText = u"Ви можете самостійно обрати папки з якими працює програма. Для "
                                          u"збереження значень за умовчанням залиште ці поля пустими.";
inline constexpr QStringView SaveResultText =
    u"Ви можете вказати програмі зберігати результати у файл для подальшого перегляду і використання. Також "
    u"для зручного збору і аналізу результатів по мережі рекомендується використовувати модуль Журналу.";
inline constexpr QStringView ShowResultText =
    u"Завичай результати тестування відразу виводяться користувачу. Але Ви можете заборонити їх вивід. В "
    u"цьому разі буде виведено повідомлення типу: «результати можна взнати у вчителя».  Також Ви можете "
    u"дозволити або заборонити вивід детальної інформації про помилки в завданнях.";
inline constexpr QStringView ColorsText = u"Ви можете вказати кольори  якими будуть виділені правильні і "
                                          u"неправильні відповіді в навчальному режимі тестування.";
inline constexpr QStringView UserNameText =
    u"Ви можете вказати яке ім’я і групу (клас) виводити користувачу у вікні початку тесту. Можна вказати "
    u"значення за умовчанням, шаблон для перевірки і зразок введення.";
inline constexpr QStringView SoundText =
    u"Після закінчення тесту може відтворюватися звук. Ви можете вказати відьворювати звук за умовчанням або "
    u"обрати звуковий файл самостійно.";
inline constexpr QStringView PasswordText = u"Ви можете обмежити доступ до вікна додаткових налаштувань "
                                            u"задавши пароль. Увага! Не забудьте записати пароль.";

inline constexpr QStringView RemoteHostLabel = u"IP або ім’я сервера:";
inline constexpr QStringView RemotePortLabel = u"Порт на сервері:";
inline constexpr QStringView SendResult = u"Відправляти результати на сервер вчителю, отримувати тести";
inline constexpr QStringView AutoGetTestFromStart = u"Пробувати завантажити тест з сервера при старті";
inline constexpr QStringView TestNet = u"Перевірити зв’язок із сервером";
inline constexpr QStringView TestNetNote = u"Необхідно щоб був запущений сервер модуля Журнал";

inline constexpr QStringView FolderGroup = u"Вибір папок:";
inline constexpr QStringView InitialDirOpenTestLabel = u"Папка для вибору тесту за умовчанням:";
inline constexpr QStringView DirForResultLabel = u"Папка для збереження результатів тестування:";
inline constexpr QStringView Clear = u"Очистити";
inline constexpr QStringView Browse = u"Огляд";

inline constexpr QStringView SaveResult = u"Зберігати результати в текстовий файл";
inline constexpr QStringView FileNameLabel = u"Ім’я файла:";
inline constexpr QStringView SaveResultNote =
    u"Відкрити файл можна у звичайному блокноті або будь-якому іншому текстовому редакторі. Результати "
    u"виводяться у зручній для перегляду формі.";
inline constexpr QStringView SaveProtectionResult = u"Зберігати захищені результати у файл";
inline constexpr QStringView SaveProtectionResultNote =
    u"Для перегляду збережених захищених результатів імпортуйте цей файл в Журнал. Змінити результати в "
    u"цьому файлі користувачу неможливо.";

inline constexpr QStringView ShowUserResult = u"Виводити результати після закінчення тесту";
inline constexpr QStringView ShowDetailReportModeEducation =
    u"Показувати звіт по завданням в навчальному режимі";
inline constexpr QStringView ShowDetailReportModeNormal =
    u"Показувати звіт по завданням в ненавчальному режимі";

inline constexpr QStringView ColorGroup = u"Вибір кольору:";
inline constexpr QStringView ColorCorrectLabel = u"Колір виділення правильної відповіді:";
inline constexpr QStringView ColorErrorLabel = u"Колір виділення неправильної відповіді:";
inline constexpr QStringView ColorCollationLabel = u"Колір виділення відповідності:";
inline constexpr QStringView Choose = u"Обрати";

inline constexpr QStringView UserNameGroup = u"Ім’я користувача:";
inline constexpr QStringView UserGroupGroup = u"Додаткове поле:";
inline constexpr QStringView DefaultLabel = u"За умовчанням:";
inline constexpr QStringView ExpressionLabel = u"Шаблон:";
inline constexpr QStringView ExampleLabel = u"Зразок:";
inline constexpr QStringView TitleLabel = u"Заголовок:";
inline constexpr QStringView SaveLastUser = u"Пам’ятати інформацію про останнього користувача";

inline constexpr QStringView SoundGroup = u"Звук:";
inline constexpr QStringView UseSound = u"Відтворювати звук по закінченню тестування";
inline constexpr QStringView UserSoundFile = u"Вказати свій звуковий файл (*.wav)";
inline constexpr QStringView SoundDirLabel = u"Папка:";
inline constexpr QStringView SoundDirNote = u"Якщо пусто, то файл береться із папки з програмою.";
inline constexpr QStringView SoundProba = u"Проба";
inline constexpr QStringView SoundFilter = u"Звуковые файлы (*.wav)|*.WAV";
inline constexpr QStringView SoundDefaultSuffix = u"WAV";

inline constexpr QStringView PasswordLabel = u"Пароль:";
inline constexpr QStringView UsePassword = u"Використовувати пароль для доступу до налаштувань";

inline constexpr QStringView AssociationGroup = u"Виконати:";
inline constexpr QStringView ExtQZF = u"Асоціювати файли тестів  Quizar (.QZF) з програмою";
inline constexpr QStringView NoteGroup = u"Примітка:";
inline constexpr QStringView AssociationNote =
    u"Після асоціації для файлів с тестами буде відображатися ось така іконка.";
inline constexpr QStringView LnkGroup = u"Створити ярлики:";
inline constexpr QStringView LnkDesktop = u"На робочому столі";
inline constexpr QStringView LnkStart = u"В меню \"Пуск\"";
inline constexpr QStringView LnkNote = u"У ярлика на робочому столі буде ось така іконка.";
inline constexpr QStringView LnkDesktopMade = u"Ярлык на Рабочем столе создан.";
inline constexpr QStringView LnkStartMade = u"Ярлык в меню \"ПУСК\" создан.";

} // namespace ConfigTexts
