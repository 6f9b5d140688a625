#pragma once
// The settings record: one per run, filled with the defaults and overlaid with the settings file.
// Every setting keeps the name that is also its key in the file. Strings are code page 1251.
#include <QByteArray>

#include <array>

struct TSettings {
    // [Save]
    bool IsSaveResult = true;
    bool IsSaveProtectionResult = false;
    bool IsSaveConfig = false;
    bool IsUseWindowSettings = false;
    // [Net]
    bool IsSendResult = false;
    qint32 RemotePort = 5005;
    QByteArray RemoteHost = "127.0.0.1";
    bool IsAutoGetTestFromStart = false;
    // [Dir]
    QByteArray InitialDirOpenTest;
    QByteArray DirForResult;
    // [Colors], 0x00BBGGRR
    quint32 ColorCorrect = 14218716;
    quint32 ColorError = 13428479;
    std::array<quint32, 10> ColorCollation = {15718645, 14216949, 14218734, 14218719, 14677464,
                                              15660504, 16117464, 16113624, 16111839, 16111854};
    // [DefaultUser]
    QByteArray TitleUserName;
    QByteArray TitleUserGroup;
    QByteArray DefaultUserName = "\xD4\xE0\xEC\xE8\xEB\xE8\xFF \xC8\xEC\xFF"; // "Фамилия Имя"
    QByteArray DefaultUserGroup = "\xCA\xEB\xE0\xF1\xF1";                     // "Класс"
    // Two words of Cyrillic letters, each a capital and small letters, Ukrainian ones included, an
    // apostrophe (' or ’) allowed before a small letter, and a double surname joined by a hyphen:
    // "^[А-ЯІЇЄҐ]{1}(['’]{0,1}[а-яіїєґ]){1,}(-[А-ЯІЇЄҐ]{1}(['’]{0,1}[а-яіїєґ]){1,}){0,1}
    //  [А-ЯІЇЄҐ]{1}(['’]{0,1}[а-яіїєґ]){1,}$"
    QByteArray UserNameExpression =
        "^[\xC0-\xDF\xB2\xAF\xAA\xA5]{1}(['\x92]{0,1}[\xE0-\xFF\xB3\xBF\xBA\xB4]){1,}"
        "(-[\xC0-\xDF\xB2\xAF\xAA\xA5]{1}(['\x92]{0,1}[\xE0-\xFF\xB3\xBF\xBA\xB4]){1,}){0,1}"
        " [\xC0-\xDF\xB2\xAF\xAA\xA5]{1}(['\x92]{0,1}[\xE0-\xFF\xB3\xBF\xBA\xB4]){1,}$";
    // "^[1-9]{1}[0-1]{0,1} [А-ЯІЇЄҐа-яіїєґ]{1}$"
    QByteArray UserGroupExpression =
        "^[1-9]{1}[0-1]{0,1} [\xC0-\xDF\xB2\xAF\xAA\xA5\xE0-\xFF\xB3\xBF\xBA\xB4]{1}$";
    QByteArray UserNameExample = "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED"; // "Иванов Иван"
    QByteArray UserGroupExample = "10 \xC0";                                  // "10 А"
    bool IsSaveLastUser = true;
    // [ResultUser]
    bool IsShowUserResult = true;
    bool IsShowDetailReportModeEducation = true;
    bool IsShowDetailReportModeNormal = false;
    // [Sound]
    bool IsUseSound = true;
    bool IsUseDefaultSound = true;
    QByteArray SoundFileName;
    QByteArray SoundFileDir;

    // Run-time values that never reach the settings file.
    QByteArray ResultFileName = "QuizarStudent_Result.txt";
    QByteArray ProtectionResultFileName = "QuizarStudent_ProtectionResult.qzpr";
    QByteArray ConfigDir;
    QByteArray ConfigFileName = "QuizarStudent_Config.txt";
    bool IsUseRecentFiles = true;
    bool WindowSettingsRestored = false;

    bool operator==(const TSettings&) const = default;
};

// Puts every setting back to its built-in default.
inline void SetDefaultConfig(TSettings& s) {
    s = TSettings{};
}
