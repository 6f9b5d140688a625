#include "SettingsFile.h"

#include "IniFile.h"
#include "SettingsTexts.h"

#include "model/TextCodec.h"

#include <QDir>

#include <variant>

namespace {
// A colour of the matching pairs, by its 0-based index.
struct Collation {
    int index;
};
using Field = std::variant<bool TSettings::*, qint32 TSettings::*, quint32 TSettings::*,
                           QByteArray TSettings::*, Collation>;

struct Entry {
    SettingKey name;
    Field field;
};

QList<Entry> MakeEntries() {
    QList<Entry> e = {
        {{"Save", "IsSaveResult"}, &TSettings::IsSaveResult},
        {{"Save", "IsSaveProtectionResult"}, &TSettings::IsSaveProtectionResult},
        {{"Save", "IsSaveConfig"}, &TSettings::IsSaveConfig},
        {{"Save", "IsUseWindowSettings"}, &TSettings::IsUseWindowSettings},
        {{"Net", "IsSendResult"}, &TSettings::IsSendResult},
        {{"Net", "RemotePort"}, &TSettings::RemotePort},
        {{"Net", "RemoteHost"}, &TSettings::RemoteHost},
        {{"Net", "IsAutoGetTestFromStart"}, &TSettings::IsAutoGetTestFromStart},
        {{"Dir", "InitialDirOpenTest"}, &TSettings::InitialDirOpenTest},
        {{"Dir", "DirForResult"}, &TSettings::DirForResult},
        {{"Colors", "ColorCorrect"}, &TSettings::ColorCorrect},
        {{"Colors", "ColorError"}, &TSettings::ColorError},
    };
    for (int i = 0; i < 10; ++i)
        e.append({{"Colors", "ColorCollation" + QByteArray::number(i + 1)}, Collation{i}});
    e += QList<Entry>{
        {{"DefaultUser", "TitleUserName"}, &TSettings::TitleUserName},
        {{"DefaultUser", "TitleUserGroup"}, &TSettings::TitleUserGroup},
        {{"DefaultUser", "DefaultUserName"}, &TSettings::DefaultUserName},
        {{"DefaultUser", "DefaultUserGroup"}, &TSettings::DefaultUserGroup},
        {{"DefaultUser", "UserNameExpression"}, &TSettings::UserNameExpression},
        {{"DefaultUser", "UserGroupExpression"}, &TSettings::UserGroupExpression},
        {{"DefaultUser", "UserNameExample"}, &TSettings::UserNameExample},
        {{"DefaultUser", "UserGroupExample"}, &TSettings::UserGroupExample},
        {{"DefaultUser", "IsSaveLastUser"}, &TSettings::IsSaveLastUser},
        {{"ResultUser", "IsShowUserResult"}, &TSettings::IsShowUserResult},
        {{"ResultUser", "IsShowDetailReportModeEducation"}, &TSettings::IsShowDetailReportModeEducation},
        {{"ResultUser", "IsShowDetailReportModeNormal"}, &TSettings::IsShowDetailReportModeNormal},
        {{"Sound", "IsUseSound"}, &TSettings::IsUseSound},
        {{"Sound", "IsUseDefaultSound"}, &TSettings::IsUseDefaultSound},
        {{"Sound", "SoundFileName"}, &TSettings::SoundFileName},
        {{"Sound", "SoundFileDir"}, &TSettings::SoundFileDir},
    };
    return e;
}

const QList<Entry>& Entries() {
    static const QList<Entry> entries = MakeEntries();
    return entries;
}

template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

void ReadEntry(const IniFile& ini, const Entry& e, TSettings& s) {
    const QByteArray& sec = e.name.section;
    const QByteArray& key = e.name.key;
    std::visit(Overloaded{
                   [&](bool TSettings::*m) { s.*m = ini.ReadBool(sec, key, s.*m); },
                   [&](qint32 TSettings::*m) { s.*m = ini.ReadInteger(sec, key, s.*m); },
                   [&](quint32 TSettings::*m) { s.*m = quint32(ini.ReadInteger(sec, key, qint32(s.*m))); },
                   [&](QByteArray TSettings::*m) { s.*m = ini.ReadString(sec, key, s.*m); },
                   [&](Collation c) {
                       quint32& v = s.ColorCollation[size_t(c.index)];
                       v = quint32(ini.ReadInteger(sec, key, qint32(v)));
                   },
               },
               e.field);
}

void WriteEntry(IniFile& ini, const Entry& e, const TSettings& s) {
    const QByteArray& sec = e.name.section;
    const QByteArray& key = e.name.key;
    std::visit(
        Overloaded{
            [&](bool TSettings::*m) { ini.WriteBool(sec, key, s.*m); },
            [&](qint32 TSettings::*m) { ini.WriteInteger(sec, key, s.*m); },
            [&](quint32 TSettings::*m) { ini.WriteInteger(sec, key, qint32(s.*m)); },
            [&](QByteArray TSettings::*m) { ini.WriteString(sec, key, s.*m); },
            [&](Collation c) { ini.WriteInteger(sec, key, qint32(s.ColorCollation[size_t(c.index)])); },
        },
        e.field);
}
} // namespace

const QList<SettingKey>& SettingsFileKeys() {
    static const QList<SettingKey> keys = [] {
        QList<SettingKey> k;
        for (const Entry& e : Entries())
            k.append(e.name);
        return k;
    }();
    return keys;
}

QString ConfigFilePath(const TSettings& settings, const QString& programFolder) {
    const QString folder =
        settings.ConfigDir.isEmpty() ? programFolder : TextCodec::FromCp1251(settings.ConfigDir);
    return QDir::cleanPath(folder + QLatin1Char('/') + TextCodec::FromCp1251(settings.ConfigFileName));
}

Status ReadConfig(TSettings& settings, const QString& path) {
    IniFile ini;
    if (const Status loaded = ini.Load(path); !loaded.Ok())
        return loaded;
    for (const Entry& e : Entries())
        ReadEntry(ini, e, settings);
    return {};
}

Status WriteConfig(const TSettings& settings, const QString& path) {
    IniFile ini;
    // The lines of other keys and the comments survive, so an unreadable old file is not replaced.
    if (const Status loaded = ini.Load(path); !loaded.Ok())
        return loaded;
    for (const Entry& e : Entries())
        WriteEntry(ini, e, settings);
    return ini.Save(path);
}

Status LoadConfig(TSettings& settings, const QString& programFolder) {
    return ReadConfig(settings, ConfigFilePath(settings, programFolder));
}

Status SaveConfig(const TSettings& settings, const QString& programFolder) {
    return WriteConfig(settings, ConfigFilePath(settings, programFolder));
}

Notice ConfigLoadFailedNotice() {
    return {SettingsTexts::ProgramTitle.toString(), SettingsTexts::LoadFailed.toString(), MsgIcon::None};
}

Notice ConfigSaveFailedNotice() {
    return {SettingsTexts::ProgramTitle.toString(), SettingsTexts::SaveFailed.toString(), MsgIcon::None};
}
