#include "NameRules.h"

#include "model/TextCodec.h"
#include "settings/Settings.h"

#include <QRegularExpression>

#include <tuple>

namespace NameRules {

namespace {

constexpr quint8 CapitalA = 0xC0, CapitalYa = 0xDF, SmallA = 0xE0, SmallYa = 0xFF;
constexpr quint8 CapitalYo = 0xA8, SmallYo = 0xB8;

void AppendLiteral(QString& out, quint8 byte) {
    out += QStringLiteral("\\x{%1}").arg(int(TextCodec::CharOf(byte)), 0, 16);
}

// A backslash and the byte after it: escapes of ASCII characters keep their meaning, an escaped
// byte of the upper half is simply that character.
void AppendEscape(QString& out, const QByteArray& p, qsizetype i) {
    if (i + 1 >= p.size()) {
        out += u'\\'; // a trailing backslash: the engine reports it
        return;
    }
    const quint8 next = quint8(p[i + 1]);
    if (next >= 0x80) {
        AppendLiteral(out, next);
    } else {
        out += u'\\';
        out += QChar(next);
    }
}

// Copies one bracket class starting at pattern[i] == '['; returns the index after it. Every
// literal inside becomes an explicit character, so ranges keep the byte order of the code page
// rather than the order of Unicode.
qsizetype TranslateClass(const QByteArray& p, qsizetype i, QString& out) {
    out += u'[';
    ++i;
    if (i < p.size() && p[i] == '^') {
        out += u'^';
        ++i;
    }
    bool first = true;
    while (i < p.size()) {
        const quint8 c = quint8(p[i]);
        if (c == ']' && !first) {
            out += u']';
            return i + 1;
        }
        first = false;
        if (c == '\\') {
            AppendEscape(out, p, i);
            i += 2;
            continue;
        }
        if (c == '[' && i + 1 < p.size() && p[i + 1] == ':') {
            const qsizetype close = p.indexOf(":]", i + 2);
            if (close > 0) {
                out += QString::fromLatin1(p.mid(i, close + 2 - i));
                i = close + 2;
                continue;
            }
        }
        const bool isRange = i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != ']' && p[i + 2] != '\\';
        if (!isRange) {
            AppendLiteral(out, c);
            ++i;
            continue;
        }
        const quint8 d = quint8(p[i + 2]);
        if (c > d) {
            // Left for the engine to reject as a range out of order.
            AppendLiteral(out, c);
            out += u'-';
            AppendLiteral(out, d);
        } else {
            for (int b = c; b <= d; ++b)
                AppendLiteral(out, quint8(b));
            if (c == CapitalA && d == CapitalYa)
                AppendLiteral(out, CapitalYo);
            if (c == SmallA && d == SmallYa)
                AppendLiteral(out, SmallYo);
        }
        i += 3;
    }
    return i; // unterminated: the engine reports it
}

QString Translate(const QByteArray& p) {
    QString out;
    for (qsizetype i = 0; i < p.size();) {
        const quint8 c = quint8(p[i]);
        if (c == '\\') {
            AppendEscape(out, p, i);
            i += 2;
        } else if (c == '[') {
            i = TranslateClass(p, i, out);
        } else if (c == '$') {
            out += QStringLiteral("\\z"); // not before a final line break
            ++i;
        } else {
            if (c >= 0x80)
                AppendLiteral(out, c);
            else
                out += QChar(c);
            ++i;
        }
    }
    return out;
}

} // namespace

ExpressionMatch MatchExpression(const QByteArray& expression, const QByteArray& text) {
    ExpressionMatch result;
    if (expression.isEmpty()) {
        result.matched = true;
        return result;
    }
    const QRegularExpression re(Translate(expression), QRegularExpression::UseUnicodePropertiesOption);
    if (!re.isValid()) {
        result.valid = false;
        result.error = re.errorString();
        return result;
    }
    result.matched = re.match(TextCodec::FromCp1251(text)).hasMatch();
    return result;
}

Check CheckNameAndGroup(const QByteArray& name, const QByteArray& group, const QByteArray& nameExpression,
                        const QByteArray& groupExpression) {
    Check check;
    check.name = CollapseBlanks(name);
    check.group = CollapseBlanks(group);
    for (const auto& [expression, text, refused] :
         {std::tuple{&nameExpression, &check.name, Verdict::NameRefused},
          std::tuple{&groupExpression, &check.group, Verdict::GroupRefused}}) {
        // The built-in texts of the fields only say what to type: taken as they are they would put
        // a session under the name "Фамилия Имя". A default the teacher set is a real name.
        if (*text == CollapseBlanks(refused == Verdict::NameRefused ? TSettings().DefaultUserName
                                                                    : TSettings().DefaultUserGroup)) {
            check.verdict = refused;
            return check;
        }
        const ExpressionMatch m = MatchExpression(*expression, *text);
        if (!m.valid) {
            check.verdict = Verdict::BadExpression;
            check.error = m.error;
            return check;
        }
        if (!m.matched) {
            check.verdict = refused;
            return check;
        }
    }
    return check;
}

QString RefusalTitle() {
    return QStringLiteral("Помилка введення!");
}

QString RefusalText(const QByteArray& example) {
    return QStringLiteral("Не відповідає шаблону!\n\rЗразок: \"%1\".").arg(TextCodec::FromCp1251(example));
}

QString Greeting(int hour) {
    if (hour < 6)
        return QStringLiteral("Доброй ночи!");
    if (hour < 12)
        return QStringLiteral("Доброе утро!");
    if (hour < 18)
        return QStringLiteral("Добрый день!");
    return QStringLiteral("Добрый вечер!");
}

QString HelloText(const QDateTime& now) {
    return Greeting(now.time().hour()) + QStringLiteral(" Как Вас Зовут?");
}

} // namespace NameRules
