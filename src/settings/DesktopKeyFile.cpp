#include "DesktopKeyFile.h"

DesktopKeyFile DesktopKeyFile::Parse(QByteArrayView text) {
    DesktopKeyFile file;
    QString group;
    const QString all = QString::fromUtf8(text);
    QStringList lines = all.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line break
    for (QString raw : lines) {
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        Line line;
        line.text = raw;
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            group = trimmed.mid(1, trimmed.size() - 2);
            line.header = true;
        } else if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#'))) {
            const qsizetype eq = raw.indexOf(QLatin1Char('='));
            if (eq > 0)
                line.key = raw.left(eq).trimmed();
        }
        line.group = group;
        file.m_lines.append(line);
    }
    return file;
}

qsizetype DesktopKeyFile::Find(const QString& group, const QString& key) const {
    // The first occurrence counts, as the desktop's own readers take it.
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        if (!l.header && l.group == group && l.key == key)
            return i;
    }
    return -1;
}

bool DesktopKeyFile::HasGroup(const QString& group) const {
    for (const Line& l : m_lines)
        if (l.header && l.group == group)
            return true;
    return false;
}

QString DesktopKeyFile::RawValue(const QString& group, const QString& key) const {
    const qsizetype i = Find(group, key);
    if (i < 0)
        return {};
    const QString& text = m_lines[i].text;
    QString value = text.mid(text.indexOf(QLatin1Char('=')) + 1);
    // Blanks around '=' are not part of the value; trailing blanks are.
    qsizetype start = 0;
    while (start < value.size() && (value[start] == QLatin1Char(' ') || value[start] == QLatin1Char('\t')))
        ++start;
    value = value.mid(start);
    if (value.isNull())
        value = QLatin1String("");
    return value;
}

QStringList DesktopKeyFile::ListValue(const QString& group, const QString& key) const {
    const QString raw = RawValue(group, key);
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == QLatin1Char('\\') && i + 1 < raw.size() && raw[i + 1] == QLatin1Char(';')) {
            item.append(QLatin1Char(';'));
            ++i;
        } else if (raw[i] == QLatin1Char(';')) {
            items.append(Unescape(item));
            item.clear();
        } else {
            item.append(raw[i]);
        }
    }
    if (!item.isEmpty())
        items.append(Unescape(item));
    items.removeAll(QString());
    return items;
}

void DesktopKeyFile::SetRawValue(const QString& group, const QString& key, const QString& raw) {
    const QString text = key + QLatin1Char('=') + raw;
    if (const qsizetype i = Find(group, key); i >= 0) {
        m_lines[i].text = text;
        return;
    }
    Line line{text, group, key, false};
    qsizetype last = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].group == group && (m_lines[i].header || !m_lines[i].text.trimmed().isEmpty()))
            last = i;
    if (last >= 0 && HasGroup(group)) {
        m_lines.insert(last + 1, line);
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
        m_lines.append(Line{QString(), m_lines.last().group, QString(), false});
    m_lines.append(Line{QLatin1Char('[') + group + QLatin1Char(']'), group, QString(), true});
    m_lines.append(line);
}

void DesktopKeyFile::SetListValue(const QString& group, const QString& key, const QStringList& items) {
    QString raw;
    for (const QString& item : items)
        raw += Escape(item).replace(QLatin1Char(';'), QLatin1String("\\;")) + QLatin1Char(';');
    SetRawValue(group, key, raw);
}

void DesktopKeyFile::RemoveKey(const QString& group, const QString& key) {
    for (qsizetype i = Find(group, key); i >= 0; i = Find(group, key))
        m_lines.removeAt(i);
}

QByteArray DesktopKeyFile::ToBytes() const {
    QString out;
    for (const Line& l : m_lines)
        out += l.text + QLatin1Char('\n');
    return out.toUtf8();
}

QString DesktopKeyFile::Escape(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QLatin1String("\\s"); // a leading blank would be taken for the one after '='
        else
            out += c;
    }
    return out;
}

QString DesktopKeyFile::Unescape(const QString& raw) {
    if (raw.isNull())
        return {};
    QString out = QLatin1String("");
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        const QChar n = raw[++i];
        if (n == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (n == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (n == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (n == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + QString(n); // not an escape of a string value; kept (e.g. "\;")
    }
    return out;
}

QString QuoteExecArgument(const QString& argument) {
    // The reserved characters of the desktop entry rules; an argument without them may stand bare,
    // which also keeps it readable for the simpler launchers that do not parse quotes.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (const QChar c : argument)
        if (reserved.contains(c))
            quote = true;
    QString out;
    if (quote)
        out += QLatin1Char('"');
    for (const QChar c : argument) {
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                      c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += c;
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
    }
    if (quote)
        out += QLatin1Char('"');
    return out;
}

QStringList SplitExec(const QString& exec) {
    QStringList args;
    QString current;
    bool inArg = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                current += exec[++i];
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                current += c;
                if (c == QLatin1Char('%') && i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%'))
                    ++i;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inArg)
                args.append(current);
            current.clear();
            inArg = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArg = true;
        } else {
            current += c;
            inArg = true;
            if (c == QLatin1Char('%') && i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%'))
                ++i;
        }
    }
    if (inArg)
        args.append(current);
    return args;
}
