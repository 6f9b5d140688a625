#pragma once
// What each page of the settings dialog shows and what its apply button writes, apart from the
// widgets: every page has a record of what its controls hold, a function that fills the record
// from the settings, the rules that enable controls, and a function that copies the record back.
// The windows only move these records in and out of their controls.
//
// Texts are as the controls hold them (QString); the settings keep code page 1251. "Trimmed"
// removes leading and trailing characters up to and including the blank, as the settings file does.
#include "EndSound.h"

#include <QByteArray>
#include <QString>
#include <Qt>

#include <array>

struct TSettings;

// ---- Мережа --------------------------------------------------------------------------------
struct NetPage {
    QString host;
    QString port;
    bool sendResult = false;
    bool autoGetTestFromStart = false;
};
NetPage NetPageFrom(const TSettings& settings);
// The host unchanged, the port as a decimal integer (0 when it is not one), both boxes as they are,
// the automatic fetch even while its box is disabled.
void ApplyNetPage(const NetPage& page, TSettings& settings);

struct NetPageEnabled {
    bool autoGetTestFromStart = false; // follows the box that sends results
    bool testNet = false;              // host and port both hold more than blanks; its note follows it
};
NetPageEnabled NetPageRules(const NetPage& page);

// Whether a key typed into the port edit reaches it: digits and backspace; besides them the keys
// that type nothing (arrows, Home, Delete), Tab, Enter and Escape, which belong to the dialog, and the
// edit's shortcuts with Ctrl or Alt. Any other character is dropped with a beep.
bool PortKeyAccepted(const QString& typedText, Qt::KeyboardModifiers modifiers);

// ---- Папки ---------------------------------------------------------------------------------
struct FolderPage {
    QString initialDirOpenTest;
    QString dirForResult;
};
FolderPage FolderPageFrom(const TSettings& settings);
// Both folders trimmed; empty means the default folders.
void ApplyFolderPage(const FolderPage& page, TSettings& settings);

// ---- Збер. рез. ----------------------------------------------------------------------------
struct SaveResultPage {
    bool saveResult = false;
    QString resultFileName;
    bool saveProtectionResult = false;
    QString protectionResultFileName;
};
SaveResultPage SaveResultPageFrom(const TSettings& settings);
// The names as typed; a name of blanks only, or none, gives back the default name. They hold for
// this run only: the settings file never keeps them.
void ApplySaveResultPage(const SaveResultPage& page, TSettings& settings);

// ---- Вивід рез. ----------------------------------------------------------------------------
struct ShowResultPage {
    bool showUserResult = false;
    bool showDetailReportModeEducation = false;
    bool showDetailReportModeNormal = false;
};
ShowResultPage ShowResultPageFrom(const TSettings& settings);
void ApplyShowResultPage(const ShowResultPage& page, TSettings& settings);

// ---- Кольори -------------------------------------------------------------------------------
// The twelve colours (0x00BBGGRR) in the order of the page: the correct answer, the wrong answer,
// then the ten matching pairs.
using ColorsPage = std::array<quint32, 12>;
ColorsPage ColorsPageFrom(const TSettings& settings);
void ApplyColorsPage(const ColorsPage& page, TSettings& settings);

// ---- Ім’я ----------------------------------------------------------------------------------
struct UserNamePage {
    QString defaultUserName, userNameExpression, userNameExample, titleUserName;
    QString defaultUserGroup, userGroupExpression, userGroupExample, titleUserGroup;
    bool saveLastUser = false;
};
UserNamePage UserNamePageFrom(const TSettings& settings);
// Every text as typed: nothing is trimmed and the patterns are tried only by the name dialog.
void ApplyUserNamePage(const UserNamePage& page, TSettings& settings);

// ---- Звук ----------------------------------------------------------------------------------
struct SoundPage {
    bool useSound = false;
    bool userSoundFile = false; // the user's own file instead of the built-in chime
    QString fileName;
    QString fileDir;
};
SoundPage SoundPageFrom(const TSettings& settings);
void ApplySoundPage(const SoundPage& page, TSettings& settings);

struct SoundPageEnabled {
    bool userSoundFile = false; // the box of the user's file
    bool fileControls = false;  // the two edits and their buttons
};
SoundPageEnabled SoundPageRules(const SoundPage& page);

// The sound of the trial button, from the page as it stands: the built-in chime unless the user's
// file is ticked; then the folder (or the program's folder when it holds only blanks) and the name,
// both trimmed. Played like the end of a test, whatever the box that switches sounds on says.
EndSoundChoice TrialSound(const SoundPage& page, const QString& programFolder);

// A wave file picked in the file dialog, split as the two edits take it: the name without its
// folder, and the folder ending with a separator.
struct SoundFileParts {
    QString fileName;
    QString fileDir;
};
SoundFileParts SplitSoundFile(const QString& path);

// ---- Пароль --------------------------------------------------------------------------------
struct PasswordPage {
    bool usePassword = false;
    QString password;
};
// From the stored password: ticked and shown when there is one.
PasswordPage PasswordPageFrom(const QByteArray& stored);

// What the apply button does to the stored password.
struct PasswordChange {
    enum Kind {
        Write,  // store `password` (empty means none)
        Remove, // delete the stored value
    };
    Kind kind = Write;
    QByteArray password;

    bool operator==(const PasswordChange&) const = default;
};
// Ticked: the edit trimmed is written. Not ticked: the value is deleted when the edit holds more
// than blanks, and written empty when it does not; either way no password is left.
PasswordChange ApplyPasswordPage(const PasswordPage& page);

// ---- Shared --------------------------------------------------------------------------------
// The text without leading and trailing characters up to the blank, as code page 1251.
QByteArray TrimmedCp1251(const QString& text);
