#pragma once
// The control words the RTF reader acts on, and the code pages its text is decoded with.
#include <QByteArrayView>
#include <QString>

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
    PnTxt,
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

// The symbol character set has no code page: its bytes are glyph numbers.
inline constexpr int CpSymbol = 42;

// The code page of a font's \fcharset; `documentCp` for charset 1 (the default) and unknown sets.
int CodePageOfCharset(int charset, int documentCp);

// Decodes bytes of the given code page; code pages that this system's converters lack read as 1252.
QString DecodeCodePage(QByteArrayView bytes, int cp);

} // namespace RtfDetail
