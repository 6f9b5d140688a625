#pragma once
// The settings file: an INI file beside the program that holds every setting of the record that
// is not a run-time value, section by section in a fixed order.
#include "Settings.h"

#include <QByteArray>
#include <QList>
#include <QString>

class Prompts;

struct SettingsFileStatus {
    bool ok = true;
    QString text; // what went wrong
};

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
SettingsFileStatus ReadConfig(TSettings& settings, const QString& path);
// Writes every file setting into the file, keeping the lines it does not own, and replaces the
// file only once the new one is complete.
SettingsFileStatus WriteConfig(const TSettings& settings, const QString& path);

// The main window's operations: as above, with the failure shown in a plain message box.
bool LoadConfig(TSettings& settings, const QString& programFolder, Prompts& prompts);
bool SaveConfig(const TSettings& settings, const QString& programFolder, Prompts& prompts);
