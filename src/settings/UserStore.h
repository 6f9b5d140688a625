#pragma once
// The per-user store of the program: the settings password, the recent test files, the run
// counters of the tests and the main window's placement. It is a QSettings in the native format
// of organisation "Quizar3", application "Student"; tests construct it over a QSettings of their
// own in a temporary folder, so the real home folder is never touched.
#include "model/Status.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class UserStore {
public:
    // The names under the program's key, in one place.
    static inline const QString PasswordName = QStringLiteral("Password");
    static inline const QString PreviousFilesGroup = QStringLiteral("PreviousFiles");
    static inline const QString CountRunTestGroup = QStringLiteral("CountRunTest");
    static inline const QString MainFormGroup = QStringLiteral("StudentMainForm");
    static inline const QString Organisation = QStringLiteral("Quizar3");
    static inline const QString Application = QStringLiteral("Student");

    // The store of the user who runs the program, screened first (RemoveDecodedValues).
    static std::unique_ptr<QSettings> OpenDefault();
    // The file of a per-user store in the native format ("<config folder>/<org>/<app>.conf").
    static QString NativeFilePath(const QString& organisation, const QString& application);
    // Removes from a store file every value that QSettings would decode as a serialised object
    // ("@Variant(...)", also when escaped, quoted or inside a list). Such a value announces a count
    // of items, and Qt reserves room for all of them before it reads one: one damaged or hostile
    // line asks for gigabytes, and the program would end as it starts. The program writes only
    // texts, so these values are never its own. A missing file is fine; the file is rewritten only
    // when something goes.
    static Status RemoveDecodedValues(const QString& path);

    explicit UserStore(QSettings& settings) : m_settings(settings) {}

    // The settings password in code page 1251; empty when none is set.
    QByteArray Password() const;
    void SetPassword(const QByteArray& password);
    void RemovePassword();
    // False when the value `Password` holds something other than one text (a list, a rectangle,
    // written there by hand); then it cannot be read as a password.
    bool PasswordIsText() const;

    // The recent test files, top of the list first (values "1", "2", … in numeric order).
    QStringList PreviousFiles() const;
    // Replaces the whole list: the old values go, item i is written as value i + 1.
    void SetPreviousFiles(const QStringList& files);

    // The stored run counter text of a test, by its identifier; nothing when none is stored.
    std::optional<QString> CountRunTest(const QString& testUId) const;
    void SetCountRunTest(const QString& testUId, const QString& value);

    // Plain string values of one group, for the window placement.
    QStringList ValueNames(const QString& group) const;
    std::optional<QString> Value(const QString& group, const QString& name) const;
    void SetValue(const QString& group, const QString& name, const QString& value);
    void RemoveGroup(const QString& group);

    // Writes pending changes; false when the store cannot be written.
    bool Sync();
    // Lets only the user read and write the store's file, as only the user can read the registry
    // key that keeps these values elsewhere. Does nothing for a store that is not a file.
    bool KeepPrivate();

private:
    QSettings& m_settings;
};
