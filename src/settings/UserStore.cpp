#include "UserStore.h"

#include "model/TextCodec.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
// Group-qualified key; QSettings separates groups with '/'.
QString Key(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + u'/' + name;
}
} // namespace

std::unique_ptr<QSettings> UserStore::OpenDefault() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, Organisation,
                                       Application);
}

QByteArray UserStore::Password() const {
    return TextCodec::ToCp1251(m_settings.value(PasswordName).toString());
}

void UserStore::SetPassword(const QByteArray& password) {
    m_settings.setValue(PasswordName, TextCodec::FromCp1251(password));
}

void UserStore::RemovePassword() {
    m_settings.remove(PasswordName);
}

bool UserStore::PasswordIsText() const {
    const QVariant v = m_settings.value(PasswordName);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return true;
    default:
        return false;
    }
}

QStringList UserStore::PreviousFiles() const {
    QStringList names = ValueNames(PreviousFilesGroup);
    // Numbered values in numeric order ("2" before "10"); any other name after them.
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        bool aNum = false, bNum = false;
        const qlonglong an = a.toLongLong(&aNum), bn = b.toLongLong(&bNum);
        if (aNum != bNum)
            return aNum;
        return aNum ? an < bn : false;
    });
    QStringList files;
    for (const QString& name : names)
        files.append(m_settings.value(Key(PreviousFilesGroup, name)).toString());
    return files;
}

void UserStore::SetPreviousFiles(const QStringList& files) {
    RemoveGroup(PreviousFilesGroup);
    for (qsizetype i = 0; i < files.size(); ++i)
        m_settings.setValue(Key(PreviousFilesGroup, QString::number(i + 1)), files[i]);
}

std::optional<QString> UserStore::CountRunTest(const QString& testUId) const {
    return Value(CountRunTestGroup, testUId);
}

void UserStore::SetCountRunTest(const QString& testUId, const QString& value) {
    SetValue(CountRunTestGroup, testUId, value);
}

QStringList UserStore::ValueNames(const QString& group) const {
    m_settings.beginGroup(group);
    const QStringList names = m_settings.childKeys();
    m_settings.endGroup();
    return names;
}

std::optional<QString> UserStore::Value(const QString& group, const QString& name) const {
    const QVariant v = m_settings.value(Key(group, name));
    if (!v.isValid() || !v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

void UserStore::SetValue(const QString& group, const QString& name, const QString& value) {
    m_settings.setValue(Key(group, name), value);
}

void UserStore::RemoveGroup(const QString& group) {
    m_settings.remove(group);
}

bool UserStore::Sync() {
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

bool UserStore::KeepPrivate() {
    const QString path = m_settings.fileName();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return true;
    // The store is rewritten through a new file that keeps the old one's permissions.
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}
