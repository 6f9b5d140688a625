#pragma once
// Fonts of Windows documents that Debian lacks: which installed fonts stand in for them, and the
// symbol fonts whose byte codes are glyph numbers rather than characters of a code page.
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace SymbolFonts {

enum class Encoding {
    None,    // an ordinary font: bytes are characters of its code page
    Symbol,  // Symbol and its look-alikes: Greek letters, relations, arrows, bracket pieces
    MtExtra, // the formula editors' extra symbol font
    Private, // another symbol font (Wingdings, ...): kept as U+F000 + byte
};

// The encoding of a font, from its name and its character set (2 is the symbol character set).
Encoding EncodingOf(QStringView family, int charset);

// The Unicode character of one code of a symbol font; codes written as U+F000 + code (as wide-text
// records and rich-edit controls do) are taken the same way.
char32_t MapCode(char32_t code, Encoding encoding);

// A text of a symbol font as Unicode.
QString MapText(QStringView text, Encoding encoding);
QString MapBytes(QByteArrayView bytes, Encoding encoding);

// The families to ask for in place of `family`: a metric-compatible font that Debian ships first
// (Liberation for Times New Roman, Arial and Courier New), the name itself, then fonts that have the
// mathematical characters symbol fonts are mapped to.
QStringList DisplayFamilies(const QString& family, Encoding encoding);

// The code page of a Windows character set; `defaultCp` for DEFAULT_CHARSET (1) and unknown sets.
// 42 stands for the symbol character set.
int CodePageOfCharset(int charset, int defaultCp);

// Bytes of a code page as Unicode; code pages that this system's converters lack read as 1252, and
// so does 42.
QString DecodeCodePage(QByteArrayView bytes, int cp);

// Bytes of a font with the given character set as Unicode (1251 for the default character set).
QString DecodeCharset(QByteArrayView bytes, int charset, QStringView family);

} // namespace SymbolFonts
