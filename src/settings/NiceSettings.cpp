#include "NiceSettings.h"

#include "IniFile.h"
#include "UserStore.h"

#include "model/AppPaths.h"
#include "model/TextCodec.h"

#include <QDir>

TNiceSettings::TNiceSettings(NicePropertyHost& owner)
    : m_owner(owner), m_opener(&TNiceSettings::OpenNativeStore) {}

void TNiceSettings::SetUpForMainWindow() {
    StoredProps = {QStringLiteral("Left"),
                   QStringLiteral("Top"),
                   QStringLiteral("Width"),
                   QStringLiteral("Height"),
                   QStringLiteral("Position"),
                   QStringLiteral("WindowState"),
                   QStringLiteral("PanelQuestion.Height")};
    RegKey = QStringLiteral("Software\\Quizar3\\Student");
    IniFile = QStringLiteral("Settings.ini");
    StoreTarget = stRegistry;
}

std::unique_ptr<QSettings> TNiceSettings::OpenNativeStore(const QString& regKey) {
    QStringList parts = regKey.split(u'\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first().compare(u"Software", Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    const QString organisation = parts.value(0);
    const QString application = parts.mid(1).join(u'/');
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation,
                                       application);
}

std::pair<QString, QString> TNiceSettings::Split(const QString& entry) {
    const qsizetype dot = entry.indexOf(u'.');
    if (dot < 0)
        return {QString(), entry};
    return {entry.left(dot), entry.mid(dot + 1)};
}

QString TNiceSettings::IniPath() const {
    const QString folder = m_programFolder.isEmpty() ? AppPaths::Default().programFolder : m_programFolder;
    return QDir::cleanPath(folder + u'/' + IniFile);
}

void TNiceSettings::LoadProps() {
    if (StoredProps.isEmpty())
        return;
    const QString group = m_owner.ComponentName();
    // Name and stored text of every value, in the order the store lists them.
    QList<std::pair<QString, std::optional<QString>>> values;
    if (StoreTarget == stRegistry) {
        const std::unique_ptr<QSettings> settings = m_opener(RegKey);
        if (!settings)
            return;
        UserStore store(*settings);
        for (const QString& name : store.ValueNames(group))
            values.append({name, store.Value(group, name)});
    } else {
        ::IniFile ini;
        if (!ini.Load(IniPath()).Ok())
            return;
        const QByteArray section = TextCodec::ToCp1251(group);
        for (const QByteArray& key : ini.Keys(section))
            values.append(
                {TextCodec::FromCp1251(key), TextCodec::FromCp1251(ini.ReadString(section, key, {}))});
    }
    for (const auto& [name, text] : values) {
        if (name.isEmpty() || !text || text->isEmpty())
            continue;
        const auto [component, property] = Split(name);
        if (!component.isEmpty() && !m_owner.HasComponent(component))
            continue;
        m_owner.SetProperty(component, property, *text); // a value that does not apply is skipped
    }
}

void TNiceSettings::SaveProps() {
    if (StoredProps.isEmpty())
        return;
    // The current values first, then the stored ones are replaced as a whole.
    QList<std::pair<QString, QString>> values;
    for (const QString& raw : StoredProps) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty())
            continue;
        const auto [component, property] = Split(entry);
        if (!component.isEmpty() && !m_owner.HasComponent(component))
            continue;
        const std::optional<QString> value = m_owner.GetProperty(component, property);
        if (!value)
            continue;
        values.append({component.isEmpty() ? property : component + u'.' + property, *value});
    }
    const QString group = m_owner.ComponentName();
    if (StoreTarget == stRegistry) {
        const std::unique_ptr<QSettings> settings = m_opener(RegKey);
        if (!settings)
            return;
        UserStore store(*settings);
        store.RemoveGroup(group);
        for (const auto& [name, value] : values)
            store.SetValue(group, name, value);
        store.Sync();
    } else {
        ::IniFile ini;
        if (!ini.Load(IniPath()).Ok())
            return; // never replace a file that could not be read
        const QByteArray section = TextCodec::ToCp1251(group);
        ini.EraseSection(section);
        for (const auto& [name, value] : values)
            ini.WriteString(section, TextCodec::ToCp1251(name), TextCodec::ToCp1251(value));
        // SaveProps reports nothing: a placement that cannot be kept is simply not kept.
        static_cast<void>(ini.Save(IniPath()));
    }
}
