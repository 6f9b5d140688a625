#pragma once
// A small INI reader and writer for code-page-1251 files with CR LF line ends. Section and key
// names match without regard to letter case; blanks around names and values are dropped when
// reading. Every line the program does not change (other keys, comments, blank lines) is written
// back as it was read.
#include "model/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class IniFile {
public:
    // At most this many characters of a value are taken when reading.
    static constexpr qsizetype MaxValueLength = 2047;

    IniFile() = default;
    explicit IniFile(const QByteArray& bytes);

    // Reads `path`; a missing file reads as an empty one. ReadFailed when the file exists but cannot
    // be read.
    Status Load(const QString& path);
    // Replaces `path` with the whole content, through a temporary file renamed over it.
    Status Save(const QString& path) const;
    QByteArray ToBytes() const;

    bool HasSection(QByteArrayView section) const;
    // The value of the first line of the key in the first section of that name, trimmed and cut to
    // MaxValueLength; nothing when the key is missing.
    std::optional<QByteArray> Value(QByteArrayView section, QByteArrayView key) const;
    // The key names of a section, in file order, without duplicates.
    QList<QByteArray> Keys(QByteArrayView section) const;

    // Changes the key's line in place, or adds it after the last entry of its section, or adds the
    // section at the end of the file. Line breaks inside the value become blanks, since a value
    // is one line.
    void SetValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Removes the section header and all its lines.
    void EraseSection(QByteArrayView section);

    // Typed reads that keep `current` when the key is missing or does not hold a number.
    // Numbers are signed decimal, or hexadecimal after "0x", "0X" or "$"; a boolean is any
    // non-zero number.
    qint32 ReadInteger(QByteArrayView section, QByteArrayView key, qint32 current) const;
    bool ReadBool(QByteArrayView section, QByteArrayView key, bool current) const;
    QByteArray ReadString(QByteArrayView section, QByteArrayView key, const QByteArray& current) const;

    void WriteInteger(QByteArrayView section, QByteArrayView key, qint32 value);
    void WriteBool(QByteArrayView section, QByteArrayView key, bool value);
    void WriteString(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Parses a number under the rules above.
    static std::optional<qint32> ParseInteger(QByteArrayView text);

private:
    struct Line {
        QByteArray text;    // as read or written, without the line end
        QByteArray section; // upper-cased name, for a section header
        QByteArray key;     // upper-cased name, for an entry
        bool isSection = false;
        bool isEntry = false;
    };
    static Line Parse(const QByteArray& text);
    // Index of the first header of that section, or -1.
    qsizetype FindSection(const QByteArray& upperSection) const;
    // Index just past the section's last line (the next header or the end).
    qsizetype SectionEnd(qsizetype header) const;

    QList<Line> m_lines;
};
