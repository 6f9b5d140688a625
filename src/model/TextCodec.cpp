#include "TextCodec.h"

#include <array>

namespace {

// 0x80..0xBF of code page 1251; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::array<unsigned char, 256> upper{};
};

Tables MakeTables() {
    Tables t;
    for (int b = 0; b < 256; ++b) {
        t.toUnicode[b] = b < 0x80 ? char16_t(b) : b < 0xC0 ? High[b - 0x80] : char16_t(0x0410 + (b - 0xC0));
        t.upper[b] = static_cast<unsigned char>(b);
    }
    for (int b = 'a'; b <= 'z'; ++b)
        t.upper[b] = static_cast<unsigned char>(b - 32);
    for (int b = 0xE0; b <= 0xFF; ++b)
        t.upper[b] = static_cast<unsigned char>(b - 32);
    // Lower-case letters of 0x80..0xBF and their capitals.
    const unsigned char pairs[][2] = {{0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
                                      {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xB4, 0xA5},
                                      {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBF, 0xAF}, {0xB3, 0xB2}, {0xBE, 0xBD}};
    for (const auto& p : pairs)
        t.upper[p[0]] = p[1];
    return t;
}

const Tables& tables() {
    static const Tables t = MakeTables();
    return t;
}

} // namespace

namespace TextCodec {

char16_t CharOf(unsigned char byte) {
    return tables().toUnicode[byte];
}

QString FromCp1251(QByteArrayView bytes) {
    const auto& map = tables().toUnicode;
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(map[static_cast<unsigned char>(bytes[i])]);
    return out;
}

void AppendFromCp1251(QString& out, QByteArrayView bytes) {
    const auto& map = tables().toUnicode;
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    QChar* dst = out.data() + at;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(map[static_cast<unsigned char>(bytes[i])]);
}

namespace {

// Look-alikes of characters without a byte in code page 1251.
char BestFit(char16_t u) {
    // Latin letters with marks lose them.
    static const char latin1[] = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYPsaaaaaaaceeeeiiiidnooooo/ouuuuypy";
    if (u >= 0xC0 && u <= 0xFF)
        return latin1[u - 0xC0];
    switch (u) {
    case 0x00A1:
        return '!';
    case 0x00A2:
        return 'c';
    case 0x00A3:
        return 'L';
    case 0x00A5:
        return 'Y';
    case 0x00AA:
        return 'a';
    case 0x00B2:
        return '2';
    case 0x00B3:
        return '3';
    case 0x00B9:
        return '1';
    case 0x00BA:
        return 'o';
    case 0x00BF:
        return '?';
    case 0x02C6:
    case 0x2038:
        return '^';
    case 0x02DC:
    case 0x223C:
        return '~';
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2043:
    case 0x2212:
        return '-';
    case 0x2032:
        return '\'';
    case 0x2033:
        return '"';
    case 0x2044:
    case 0x2215:
        return '/';
    case 0x2216:
        return '\\';
    case 0x2217:
        return '*';
    case 0x2223:
        return '|';
    case 0x2236:
        return ':';
    case 0x2264:
    case 0x226A:
    case 0x2039:
    case 0x2329:
    case 0x27E8:
        return '<';
    case 0x2265:
    case 0x226B:
    case 0x203A:
    case 0x232A:
    case 0x27E9:
        return '>';
    case 0x2000:
    case 0x2001:
    case 0x2002:
    case 0x2003:
    case 0x2004:
    case 0x2005:
    case 0x2006:
    case 0x2008:
    case 0x2009:
    case 0x200A:
        return ' ';
    default:
        if (u >= 0x0100 && u <= 0x017F) {
            // Latin Extended-A: the letter without its mark, upper case at even positions.
            static const char extA[] = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKkkLlLlLlLlLlNn"
                                       "NnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
            return extA[u - 0x0100];
        }
        return '?';
    }
}

} // namespace

namespace {
// The byte of a character in code page 1251; '?' for characters it lacks.
unsigned char EncodeUnit(char16_t u) {
    static const std::array<unsigned char, 0x500> fromCyrillic = [] {
        std::array<unsigned char, 0x500> a{};
        for (int b = 0x80; b < 256; ++b) {
            const char16_t c = tables().toUnicode[b];
            if (c < 0x500)
                a[c] = static_cast<unsigned char>(b);
        }
        return a;
    }();
    if (u < 0x80)
        return static_cast<unsigned char>(u);
    if (u < 0x500 && fromCyrillic[u] != 0)
        return fromCyrillic[u];
    for (int k = 0; k < 64; ++k) {
        if (High[k] == u)
            return static_cast<unsigned char>(0x80 + k);
    }
    return '?';
}
} // namespace

char ToCp1251BestFit(char16_t u) {
    const unsigned char b = EncodeUnit(u);
    return b == '?' && u != u'?' ? BestFit(u) : static_cast<char>(b);
}

QByteArray ToCp1251BestFit(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = ToCp1251BestFit(text[i].unicode());
    return out;
}

QByteArray ToCp1251(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(EncodeUnit(text[i].unicode()));
    return out;
}

QByteArray UpperCp1251(QByteArrayView bytes) {
    const auto& up = tables().upper;
    QByteArray out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<char>(up[static_cast<unsigned char>(bytes[i])]);
    return out;
}

} // namespace TextCodec
