#include "IniFile.h"

#include "model/SafeFile.h"

#include "model/TextCodec.h"

#include <QFile>

namespace {
QByteArray Upper(QByteArrayView name) {
    return TextCodec::UpperCp1251(name);
}

QByteArray Trimmed(QByteArrayView s) {
    // Blanks and tabs only: a value may end in other bytes of the code page that QByteArray's
    // notion of white space would also cut.
    qsizetype b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.sliced(b, e - b).toByteArray();
}
} // namespace

IniFile::IniFile(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    QList<QByteArray> texts = bytes.split('\n');
    // A final line end does not start another line.
    if (texts.last().isEmpty())
        texts.removeLast();
    for (QByteArray& t : texts) {
        if (t.endsWith('\r'))
            t.chop(1);
        m_lines.append(Parse(t));
    }
}

IniFile::Line IniFile::Parse(const QByteArray& text) {
    Line line;
    line.text = text;
    const QByteArray t = Trimmed(text);
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        line.isSection = true;
        line.section = Upper(Trimmed(QByteArrayView(t).sliced(1, (close < 0 ? t.size() : close) - 1)));
        return line;
    }
    if (t.startsWith(';') || t.startsWith('#'))
        return line;
    const qsizetype eq = t.indexOf('=');
    if (eq > 0) {
        line.key = Upper(Trimmed(QByteArrayView(t).first(eq)));
        line.isEntry = !line.key.isEmpty();
    }
    return line;
}

Status IniFile::Load(const QString& path) {
    m_lines.clear();
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::Failed(Fault::ReadFailed,
                              QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    *this = IniFile(bytes);
    return {};
}

QByteArray IniFile::ToBytes() const {
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.text + "\r\n";
    return out;
}

Status IniFile::Save(const QString& path) const {
    return ReplaceFileContents(path, ToBytes());
}

qsizetype IniFile::FindSection(const QByteArray& upperSection) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].isSection && m_lines[i].section == upperSection)
            return i;
    return -1;
}

qsizetype IniFile::SectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < m_lines.size() && !m_lines[i].isSection)
        ++i;
    return i;
}

bool IniFile::HasSection(QByteArrayView section) const {
    return FindSection(Upper(section)) >= 0;
}

std::optional<QByteArray> IniFile::Value(QByteArrayView section, QByteArrayView key) const {
    const qsizetype header = FindSection(Upper(section));
    if (header < 0)
        return std::nullopt;
    const QByteArray k = Upper(key);
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.isEntry && line.key == k) {
            QByteArray value = QByteArrayView(line.text).sliced(line.text.indexOf('=') + 1).toByteArray();
            // Lines end at LF, so a CR may be left inside one: it reads as the blank that writing
            // the value makes of it, or a value would change each time it is saved.
            value.replace('\r', ' ');
            return Trimmed(value).left(MaxValueLength);
        }
    }
    return std::nullopt;
}

QList<QByteArray> IniFile::Keys(QByteArrayView section) const {
    QList<QByteArray> keys;
    QList<QByteArray> seen;
    const qsizetype header = FindSection(Upper(section));
    if (header < 0)
        return keys;
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (!line.isEntry || seen.contains(line.key))
            continue;
        seen.append(line.key);
        keys.append(Trimmed(QByteArrayView(line.text).first(line.text.indexOf('='))));
    }
    return keys;
}

void IniFile::SetValue(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    QByteArray oneLine = value.toByteArray();
    oneLine.replace('\r', ' ').replace('\n', ' ');
    const Line entry = Parse(key.toByteArray() + '=' + oneLine);
    qsizetype header = FindSection(Upper(section));
    if (header < 0) {
        m_lines.append(Parse('[' + section.toByteArray() + ']'));
        m_lines.append(entry);
        return;
    }
    const qsizetype end = SectionEnd(header);
    qsizetype lastEntry = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (!m_lines[i].isEntry)
            continue;
        if (m_lines[i].key == entry.key) {
            m_lines[i] = entry;
            return;
        }
        lastEntry = i;
    }
    m_lines.insert(lastEntry + 1, entry);
}

void IniFile::EraseSection(QByteArrayView section) {
    const QByteArray s = Upper(section);
    for (qsizetype header = FindSection(s); header >= 0; header = FindSection(s))
        m_lines.remove(header, SectionEnd(header) - header);
}

std::optional<qint32> IniFile::ParseInteger(QByteArrayView text) {
    QByteArrayView t = text.trimmed();
    bool negative = false;
    if (!t.isEmpty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t = t.sliced(1);
    }
    int base = 10;
    if (t.startsWith("0x") || t.startsWith("0X")) {
        base = 16;
        t = t.sliced(2);
    } else if (t.startsWith('$')) {
        base = 16;
        t = t.sliced(1);
    }
    if (t.isEmpty() || t.size() > 10)
        return std::nullopt;
    quint64 v = 0;
    for (const char c : t) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * quint64(base) + quint64(digit);
    }
    if (base == 16) {
        // Eight hexadecimal digits cover the whole 32 bits, as colours "$00FFFFFF" need.
        if (v > 0xFFFFFFFFull)
            return std::nullopt;
        const qint32 bits = qint32(quint32(v));
        return negative ? qint32(0u - quint32(bits)) : bits;
    }
    if (negative ? v > 0x80000000ull : v > 0x7FFFFFFFull)
        return std::nullopt;
    return negative ? qint32(-qint64(v)) : qint32(v);
}

qint32 IniFile::ReadInteger(QByteArrayView section, QByteArrayView key, qint32 current) const {
    const std::optional<QByteArray> text = Value(section, key);
    if (!text)
        return current;
    return ParseInteger(*text).value_or(current);
}

bool IniFile::ReadBool(QByteArrayView section, QByteArrayView key, bool current) const {
    return ReadInteger(section, key, current ? 1 : 0) != 0;
}

QByteArray IniFile::ReadString(QByteArrayView section, QByteArrayView key, const QByteArray& current) const {
    return Value(section, key).value_or(current);
}

void IniFile::WriteInteger(QByteArrayView section, QByteArrayView key, qint32 value) {
    SetValue(section, key, QByteArray::number(value));
}

void IniFile::WriteBool(QByteArrayView section, QByteArrayView key, bool value) {
    SetValue(section, key, value ? "1" : "0");
}

void IniFile::WriteString(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    SetValue(section, key, value);
}
