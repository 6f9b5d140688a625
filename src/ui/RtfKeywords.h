#pragma once
// The control words the RTF reader acts on, and the code pages its text is decoded with.
#include "SymbolFonts.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace RtfDetail {

enum class Kw {
    // header and tables of the document
    Rtf,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    FontTable,
    ColorTable,
    F,
    FCharset,
    Cpg,
    Red,
    Green,
    Blue,
    // destinations
    Skip,
    Star,
    Pict,
    ShpPict,
    NonShpPict,
    Object,
    Result,
    PnText,
    Pn,
    PnTxtB,
    PnTxtA,
    Field,
    FldInst,
    FldRslt,
    // picture words
    PngBlip,
    JpegBlip,
    DiBitmap,
    WBitmap,
    WMetafile,
    EmfBlip,
    OtherBlip,
    PicW,
    PicH,
    PicWGoal,
    PicHGoal,
    PicScaleX,
    PicScaleY,
    WbmBitsPixel,
    WbmPlanes,
    WbmWidthBytes,
    // list words inside \pn
    PnLvlBlt,
    PnLvlBody,
    PnLvlCont,
    PnLvl,
    PnDec,
    PnUcLtr,
    PnLcLtr,
    PnUcRm,
    PnLcRm,
    PnStart,
    PnF,
    // characters
    Plain,
    Fs,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Super,
    Sub,
    NoSuperSub,
    Cf,
    Highlight,
    Cb,
    V,
    Caps,
    SmallCaps,
    Uc,
    U,
    // paragraphs
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Li,
    Ri,
    Fi,
    Sb,
    Sa,
    Sl,
    SlMult,
    DefTab,
    Tx,
    Tqr,
    Tqc,
    Tqdec,
    Par,
    Line,
    Tab,
    Intbl,
    // tables
    Trowd,
    TrLeft,
    Cellx,
    Cell,
    Row,
    // special characters
    Emdash,
    Endash,
    Bullet,
    Lquote,
    Rquote,
    Ldblquote,
    Rdblquote,
    Emspace,
    Enspace,
    Qmspace,
    Zwj,
    Zwnj,
    Ltrmark,
    Rtlmark,
};

// The keyword of a control word's name; nullptr for a word the reader ignores.
const Kw* FindKeyword(QByteArrayView name);
// The character a word of the text stands for (\emdash, \line, \tab, ...); nothing for the others.
std::optional<QStringView> SpecialCharacter(Kw kw);

// Symbol fonts have no code page: their bytes are glyph numbers, read through the font's table
// (SymbolFonts). The Symbol font, the formula editors' extra font, and other picture fonts.
inline constexpr int CpSymbol = 42;
inline constexpr int CpMtExtra = 43;
inline constexpr int CpPrivateSymbol = 44;

// The code page that stands for a font: its own table for symbol fonts (by name or by \fcharset2),
// else the code page of its character set; 0 for "the document's".
int CodePageOfFont(QStringView family, int charset, int cpg);
inline bool IsSymbolCp(int cp) {
    return cp >= CpSymbol && cp <= CpPrivateSymbol;
}

// The code page of a font's \fcharset; `documentCp` for charset 1 (the default) and unknown sets.
int CodePageOfCharset(int charset, int documentCp);

// Decodes bytes of the given code page; code pages that this system's converters lack read as 1252.
// Symbol code pages go through their font's table.
QString DecodeCodePage(QByteArrayView bytes, int cp);

// The table of a symbol code page.
SymbolFonts::Encoding EncodingOfCp(int cp);

} // namespace RtfDetail
