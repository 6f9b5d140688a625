#include "SymbolFonts.h"

#include "model/TextCodec.h"

#include <QStringDecoder>

#include <map>

namespace SymbolFonts {

namespace {

// Codes 0x20..0xFF of the Symbol font. 0 for codes without a character.
constexpr char16_t SymbolTable[224] = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C,
    0x2212, 0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C,
    0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B,
    0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234,
    0x005D, 0x22A5, 0x005F,
    // 0x60: the radical extender is a bar over the text
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB,
    0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C,
    0x007D, 0x223C, 0,
    // 0x80..0x9F: unused
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190,
    0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026,
    0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282,
    0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0,
    0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x27E8, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7,
    0x23A8, 0x23A9, 0x23AA,
    // 0xF0
    0, 0x27E9, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC,
    0x23AD, 0};

// The codes of the formula editors' extra font that have a character of their own in Unicode, after
// the encoding its maker publishes; codes for pieces of large brackets and embellishments without
// one are left out.
struct Pair {
    unsigned char code;
    char16_t ch;
};
constexpr Pair MtExtraTable[] = {
    {0x20, 0x0020}, {0x23, 0x0300}, {0x24, 0x0302}, {0x25, 0x0303}, {0x26, 0x0307}, {0x28, 0x2323},
    {0x29, 0x2322}, {0x3A, 0x223C}, {0x3B, 0x2243}, {0x3C, 0x22B2}, {0x3D, 0x226A}, {0x3E, 0x22B3},
    {0x3F, 0x226B}, {0x40, 0x225C}, {0x41, 0x2259}, {0x42, 0x2250}, {0x43, 0x2210}, {0x44, 0x019B},
    {0x49, 0x2229}, {0x4A, 0x2127}, {0x4B, 0x2026}, {0x4C, 0x22EF}, {0x4D, 0x22EE}, {0x4E, 0x22F0},
    {0x4F, 0x22F1}, {0x50, 0x2225}, {0x51, 0x2235}, {0x52, 0x2221}, {0x53, 0x2222}, {0x55, 0x222A},
    {0x56, 0x25B3}, {0x57, 0x25A1}, {0x58, 0x25AD}, {0x59, 0x25B1}, {0x5A, 0x2197}, {0x5B, 0x2199},
    {0x5D, 0x2198}, {0x5E, 0x2196}, {0x60, 0x2035}, {0x61, 0x21A6}, {0x62, 0x2195}, {0x63, 0x21D5},
    {0x64, 0x25CB}, {0x65, 0x2299}, {0x66, 0x227B}, {0x68, 0x210F}, {0x6C, 0x2113}, {0x6D, 0x2213},
    {0x6F, 0x2218}, {0x70, 0x227A}, {0x72, 0x20D7}, {0x73, 0x20D6}, {0x74, 0x20E1}, {0x76, 0x20D1},
    {0x77, 0x20D0}, {0x7B, 0xFE38}, {0x7D, 0xFE37}, {0x80, 0x21C4}, {0x83, 0x21CC}, {0x86, 0x21C0},
    {0x87, 0x21BD}, {0xA1, 0x211D}, {0xA2, 0x2124}, {0xA3, 0x2102}, {0xA4, 0x211A}, {0xA5, 0x2115},
    {0xA7, 0x301A}, {0xA8, 0x301B}, {0xE8, 0x0160}, {0xE9, 0x00DD}, {0xEA, 0x00DE}, {0xEB, 0x00D0},
    {0xEC, 0x0161}, {0xED, 0x00FD}, {0xEE, 0x00FE}, {0xEF, 0x00F0}, {0xF0, 0xFB01}, {0xF1, 0xFB02},
    {0xF2, 0x0131}, {0xF3, 0x00B9}, {0xF4, 0x00B2}, {0xF5, 0x00B3}, {0xF6, 0x00BD}, {0xF7, 0x00BC},
    {0xF8, 0x00BE}, {0xF9, 0x2044}, {0xFA, 0x00A6}, {0xFB, 0x02DD}, {0xFC, 0x02D8}, {0xFD, 0x02C7},
    {0xFE, 0x02DA}, {0xFF, 0x02DB},
};

// 0x80..0x9F of code page 1252; the rest of the page is Latin-1.
constexpr char16_t High1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString From1252(QByteArrayView bytes) {
    QString s(bytes.size(), Qt::Uninitialized);
    QChar* out = s.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? High1252[b - 0x80] : char16_t(b));
    }
    return s;
}

QByteArray DecoderName(int cp) {
    switch (cp) {
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 10000:
        return "macintosh";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 866:
        return "IBM866";
    default:
        return "windows-" + QByteArray::number(cp);
    }
}

bool Named(QStringView family, QLatin1StringView name) {
    return family.compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

Encoding EncodingOf(QStringView family, int charset) {
    const QStringView f = family.trimmed();
    if (Named(f, QLatin1StringView("Symbol")) || Named(f, QLatin1StringView("MT Symbol")) ||
        Named(f, QLatin1StringView("Euclid Symbol")) || Named(f, QLatin1StringView("Symbol MT")))
        return Encoding::Symbol;
    if (Named(f, QLatin1StringView("MT Extra")) || Named(f, QLatin1StringView("MT Extra Tiger")))
        return Encoding::MtExtra;
    if (charset != 2)
        return Encoding::None;
    // Another font of the symbol character set: a nameless one is taken for Symbol, as rich-edit
    // controls write bullets that way; a named picture font keeps its codes.
    return f.isEmpty() ? Encoding::Symbol : Encoding::Private;
}

char32_t MapCode(char32_t code, Encoding encoding) {
    if (encoding == Encoding::None)
        return code;
    const char32_t c = code >= 0xF020 && code <= 0xF0FF ? code - 0xF000 : code;
    if (c > 0xFF)
        return code;
    switch (encoding) {
    case Encoding::Symbol:
        if (c >= 0x20 && SymbolTable[c - 0x20] != 0)
            return SymbolTable[c - 0x20];
        return c;
    case Encoding::MtExtra:
        for (const Pair& p : MtExtraTable)
            if (p.code == c)
                return p.ch;
        return c < 0x20 ? c : 0xFFFD;
    case Encoding::Private:
        return c < 0x20 ? c : 0xF000 + c;
    case Encoding::None:
        break;
    }
    return code;
}

QString MapText(QStringView text, Encoding encoding) {
    if (encoding == Encoding::None)
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char32_t c = MapCode(ch.unicode(), encoding);
        if (QChar::requiresSurrogates(c)) {
            out.append(QChar(QChar::highSurrogate(c)));
            out.append(QChar(QChar::lowSurrogate(c)));
        } else {
            out.append(QChar(char16_t(c)));
        }
    }
    return out;
}

QString MapBytes(QByteArrayView bytes, Encoding encoding) {
    return MapText(QString::fromLatin1(bytes.data(), bytes.size()), encoding);
}

QStringList DisplayFamilies(const QString& family, Encoding encoding) {
    // Glyphs for what symbol fonts hold: a Times-like serif first, then fonts rich in mathematics.
    static const QStringList Mathematics = {QStringLiteral("Liberation Serif"),
                                            QStringLiteral("DejaVu Serif"), QStringLiteral("OpenSymbol")};
    if (encoding == Encoding::Symbol || encoding == Encoding::MtExtra)
        return Mathematics;
    QStringList families;
    const QString f = family.trimmed();
    if (Named(f, QLatin1StringView("Times New Roman")) || Named(f, QLatin1StringView("Times")))
        families << QStringLiteral("Liberation Serif");
    else if (Named(f, QLatin1StringView("Arial")) || Named(f, QLatin1StringView("Helvetica")))
        families << QStringLiteral("Liberation Sans");
    else if (Named(f, QLatin1StringView("Courier New")) || Named(f, QLatin1StringView("Courier")))
        families << QStringLiteral("Liberation Mono");
    if (!f.isEmpty())
        families << f;
    families << Mathematics;
    return families;
}

int CodePageOfCharset(int charset, int defaultCp) {
    switch (charset) {
    case 0:
        return 1252;
    case 1:
        return defaultCp;
    case 2:
        return 42;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return defaultCp;
    }
}

QString DecodeCodePage(QByteArrayView bytes, int cp) {
    if (cp == 1251)
        return TextCodec::FromCp1251(bytes);
    if (cp == 1252 || cp == 42)
        return From1252(bytes);
    // Converters keep state between calls; each call decodes a whole run, so it starts afresh.
    thread_local std::map<int, QStringDecoder> decoders;
    auto it = decoders.find(cp);
    if (it == decoders.end())
        it = decoders.emplace(cp, QStringDecoder(DecoderName(cp).constData())).first;
    QStringDecoder& decoder = it->second;
    if (!decoder.isValid())
        return From1252(bytes);
    decoder.resetState();
    return decoder.decode(bytes);
}

QString DecodeCharset(QByteArrayView bytes, int charset, QStringView family) {
    const Encoding encoding = EncodingOf(family, charset);
    if (encoding != Encoding::None)
        return MapBytes(bytes, encoding);
    return DecodeCodePage(bytes, CodePageOfCharset(charset, 1251));
}

} // namespace SymbolFonts
