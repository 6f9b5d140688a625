#pragma once
// TNiceSettings keeps a list of named properties of a window and of its named child components in
// the per-user store or in an INI file, and puts them back at the next start. It reaches the
// window only through NicePropertyHost, so it works, and is tested, without any widget.
#include <QSettings>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// What TNiceSettings needs of the window that owns it. Properties are read and written as text:
// integers in decimal, enumerations by their names ("wsMaximized", "poScreenCenter").
class NicePropertyHost {
public:
    virtual ~NicePropertyHost() = default;
    // The owner's component name, which names its group or section ("StudentMainForm").
    virtual QString ComponentName() const = 0;
    // Whether the owner has a child component of that name.
    virtual bool HasComponent(const QString& component) const = 0;
    // `component` empty means the owner itself. Nothing when the property does not exist.
    virtual std::optional<QString> GetProperty(const QString& component, const QString& property) const = 0;
    // False when the property does not exist or the text does not convert to its type.
    virtual bool SetProperty(const QString& component, const QString& property, const QString& value) = 0;
};

enum TStoreTarget { stIniFile = 0, stRegistry = 1 };

class TNiceSettings {
public:
    explicit TNiceSettings(NicePropertyHost& owner);

    // The entries to keep: a property of the owner ("Width") or a child's name, a full stop and
    // one of its properties ("PanelQuestion.Height").
    QStringList StoredProps;
    // "Software\<organisation>\<application>" of the per-user store.
    QString RegKey = QStringLiteral("Software\\My Company\\My Program");
    // Name of the INI file in the program's folder, for stIniFile.
    QString IniFile = QStringLiteral("Settings.ini");
    TStoreTarget StoreTarget = stIniFile;

    // Opens the per-user store for RegKey; by default the native store of the organisation and
    // application that RegKey names. Tests hand in a store in a temporary folder.
    using StoreOpener = std::function<std::unique_ptr<QSettings>(const QString& regKey)>;
    void SetStoreOpener(StoreOpener opener) { m_opener = std::move(opener); }
    // Folder of the INI file; by default the program's folder.
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }

    // Restores every stored value into its property; a value that cannot be applied is skipped.
    void LoadProps();
    // Replaces the stored values with the listed properties' current ones; stale values go.
    void SaveProps();

    // The values the main window gives the component: its placement and the task panel's height,
    // in the program's per-user store.
    void SetUpForMainWindow();

    // The native store that a RegKey names.
    static std::unique_ptr<QSettings> OpenNativeStore(const QString& regKey);

private:
    // Splits "Child.Property" at its first full stop; the component is empty for the owner.
    static std::pair<QString, QString> Split(const QString& entry);
    QString IniPath() const;

    NicePropertyHost& m_owner;
    StoreOpener m_opener;
    QString m_programFolder;
};
