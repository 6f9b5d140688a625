#pragma once
// The settings file: an INI file beside the program that holds every setting of the record that
// is not a run-time value, section by section in a fixed order.
#include "Settings.h"
#include "model/Status.h"
#include "ports/Prompts.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One setting of the file: its section and its key, which is the setting's name.
struct SettingKey {
    QByteArray section;
    QByteArray key;
};
// Every setting of the file in the order it is read and written.
const QList<SettingKey>& SettingsFileKeys();

// `ConfigDir` + `ConfigFileName`, or the program's folder when `ConfigDir` is empty.
QString ConfigFilePath(const TSettings& settings, const QString& programFolder);

// Reads the settings file over the record: a missing key, or a number that does not parse, keeps
// the setting's current value, and a missing file changes nothing. A file that exists but cannot
// be read changes nothing and fails.
Status ReadConfig(TSettings& settings, const QString& path);
// Writes every file setting into the file, keeping the lines it does not own, and replaces the
// file only once the new one is complete.
Status WriteConfig(const TSettings& settings, const QString& path);

// The main window's operations: the same on the file the settings name (ConfigFilePath).
Status LoadConfig(TSettings& settings, const QString& programFolder);
Status SaveConfig(const TSettings& settings, const QString& programFolder);
// What the user is told when they fail: a plain message box captioned with the program's title.
Notice ConfigLoadFailedNotice();
Notice ConfigSaveFailedNotice();
