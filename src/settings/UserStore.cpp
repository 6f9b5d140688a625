#include "UserStore.h"

#include "model/SafeFile.h"
#include "model/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {
// Group-qualified key; QSettings separates groups with '/'.
QString Key(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + u'/' + name;
}

int Digit(char c, int base) {
    const int d = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    return d < base ? d : -1;
}

// A value of a store line as QSettings reads it, escapes resolved and quotes dropped, closely
// enough to see what it would decode: \xHHHH, octal \NNN, the one-letter escapes, a backslash
// before anything else.
QByteArray Unescaped(QByteArrayView raw) {
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"')
            continue;
        if (c != '\\' || i + 1 >= raw.size()) {
            out.append(c);
            continue;
        }
        const char e = raw[++i];
        if (e == 'x' || (e >= '0' && e <= '7')) {
            const int base = e == 'x' ? 16 : 8;
            unsigned value = e == 'x' ? 0 : unsigned(e - '0');
            while (i + 1 < raw.size()) {
                const int digit = Digit(raw[i + 1], base);
                if (digit < 0)
                    break;
                value = (value * unsigned(base) + unsigned(digit)) & 0xFFFF;
                ++i;
            }
            out.append(value < 0x80 ? char(value) : '?');
            continue;
        }
        out.append(e);
    }
    return out;
}

// A logical line goes on past a physical one that ends in an odd number of backslashes.
bool Continues(QByteArrayView line) {
    while (line.endsWith('\r'))
        line.chop(1);
    qsizetype backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\')
        ++backslashes;
    return backslashes % 2 == 1;
}
} // namespace

QString UserStore::NativeFilePath(const QString& organisation, const QString& application) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString conf = QStringLiteral(".conf");
    return application.isEmpty() ? folder + u'/' + organisation + conf
                                 : folder + u'/' + organisation + u'/' + application + conf;
}

Status UserStore::RemoveDecodedValues(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray text = file.readAll();
    file.close();
    const QList<QByteArray> lines = text.split('\n');
    QByteArray kept;
    kept.reserve(text.size());
    bool removed = false;
    for (qsizetype i = 0; i < lines.size();) {
        // One logical line: its physical lines.
        qsizetype end = i + 1;
        while (end < lines.size() && Continues(lines[end - 1]))
            ++end;
        QByteArray logical;
        for (qsizetype j = i; j < end; ++j)
            logical += lines[j];
        // Anywhere in the line: a lone CR also ends a line for QSettings.
        const bool decoded = Unescaped(logical).contains("@Variant(");
        if (decoded) {
            removed = true;
        } else {
            for (qsizetype j = i; j < end; ++j) {
                kept += lines[j];
                if (j + 1 < lines.size())
                    kept += '\n';
            }
        }
        i = end;
    }
    if (!removed)
        return {};
    return ReplaceFileContents(path, kept);
}

std::unique_ptr<QSettings> UserStore::OpenDefault() {
    // A store that cannot be screened is read all the same: Qt refuses what it cannot read, and
    // a store the program cannot rewrite still has the user's recent files and counters.
    (void)RemoveDecodedValues(NativeFilePath(Organisation, Application)).Ok();
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
