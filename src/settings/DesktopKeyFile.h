#pragma once
// The freedesktop key files: desktop entries, menu directory entries and the lists of default
// applications (mimeapps.list). A file is kept as its lines, so that changing one value of a file
// that other programs also write leaves every other line, comment and group as it was.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

class DesktopKeyFile {
public:
    static DesktopKeyFile Parse(QByteArrayView text);

    bool HasGroup(const QString& group) const;
    // The raw value of a key (escapes still in), or a null string when the group has no such key.
    // Localised keys are distinct keys ("Name[uk]").
    QString RawValue(const QString& group, const QString& key) const;
    // The value of a string key with its escapes resolved.
    QString Value(const QString& group, const QString& key) const { return Unescape(RawValue(group, key)); }
    // The items of a list key (separated by ';', "\;" standing for a ';' inside an item).
    QStringList ListValue(const QString& group, const QString& key) const;

    // Sets a raw value: in place when the key exists, else at the end of the group, else in a new
    // group at the end of the file.
    void SetRawValue(const QString& group, const QString& key, const QString& raw);
    void SetValue(const QString& group, const QString& key, const QString& value) {
        SetRawValue(group, key, Escape(value));
    }
    void SetListValue(const QString& group, const QString& key, const QStringList& items);
    void RemoveKey(const QString& group, const QString& key);

    QByteArray ToBytes() const;

    static QString Escape(const QString& value);
    static QString Unescape(const QString& raw);

private:
    struct Line {
        QString text;
        QString group; // the group the line belongs to (for a group header: its own name)
        QString key;   // empty for headers, comments and blank lines
        bool header = false;
    };
    qsizetype Find(const QString& group, const QString& key) const;

    QList<Line> m_lines;
};

// One argument of an Exec key, quoted only when it holds a character that needs it; a '%' is
// doubled so that it cannot be read as a field code. The result is still to be escaped as a
// string value (DesktopKeyFile::SetValue does that).
QString QuoteExecArgument(const QString& argument);
// The arguments of an Exec value (already unescaped), quotes and their escapes resolved, "%%"
// read as '%'. Field codes stay as they are ("%f").
QStringList SplitExec(const QString& exec);
