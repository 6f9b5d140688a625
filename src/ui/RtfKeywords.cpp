#include "RtfKeywords.h"

#include "model/TextCodec.h"

#include <QStringDecoder>

#include <map>
#include <string_view>
#include <unordered_map>

namespace RtfDetail {

namespace {

const std::unordered_map<std::string_view, Kw>& Keywords() {
    static const std::unordered_map<std::string_view, Kw> map = {
        {"rtf", Kw::Rtf},
        {"ansi", Kw::Ansi},
        {"mac", Kw::Mac},
        {"pc", Kw::Pc},
        {"pca", Kw::Pca},
        {"ansicpg", Kw::AnsiCpg},
        {"deff", Kw::Deff},
        {"fonttbl", Kw::FontTable},
        {"colortbl", Kw::ColorTable},
        {"f", Kw::F},
        {"fcharset", Kw::FCharset},
        {"cpg", Kw::Cpg},
        {"red", Kw::Red},
        {"green", Kw::Green},
        {"blue", Kw::Blue},
        // Destinations whose content is never shown, written with or without \*.
        {"stylesheet", Kw::Skip},
        {"info", Kw::Skip},
        {"header", Kw::Skip},
        {"headerl", Kw::Skip},
        {"headerr", Kw::Skip},
        {"headerf", Kw::Skip},
        {"footer", Kw::Skip},
        {"footerl", Kw::Skip},
        {"footerr", Kw::Skip},
        {"footerf", Kw::Skip},
        {"footnote", Kw::Skip},
        {"annotation", Kw::Skip},
        {"xe", Kw::Skip},
        {"tc", Kw::Skip},
        {"txe", Kw::Skip},
        {"rxe", Kw::Skip},
        {"template", Kw::Skip},
        {"revtbl", Kw::Skip},
        {"filetbl", Kw::Skip},
        {"objdata", Kw::Skip},
        {"objclass", Kw::Skip},
        {"objname", Kw::Skip},
        {"comment", Kw::Skip},
        {"private", Kw::Skip},
        {"pntxta", Kw::PnTxt},
        {"pntxtb", Kw::PnTxt},
        {"*", Kw::Star},
        {"pict", Kw::Pict},
        {"shppict", Kw::ShpPict},
        {"nonshppict", Kw::NonShpPict},
        {"object", Kw::Object},
        {"result", Kw::Result},
        {"pntext", Kw::PnText},
        {"pn", Kw::Pn},
        {"field", Kw::Field},
        {"fldinst", Kw::FldInst},
        {"fldrslt", Kw::FldRslt},
        {"pngblip", Kw::PngBlip},
        {"jpegblip", Kw::JpegBlip},
        {"dibitmap", Kw::DiBitmap},
        {"wbitmap", Kw::WBitmap},
        {"wmetafile", Kw::WMetafile},
        {"emfblip", Kw::EmfBlip},
        {"macpict", Kw::OtherBlip},
        {"pmmetafile", Kw::OtherBlip},
        {"picw", Kw::PicW},
        {"pich", Kw::PicH},
        {"picwgoal", Kw::PicWGoal},
        {"pichgoal", Kw::PicHGoal},
        {"picscalex", Kw::PicScaleX},
        {"picscaley", Kw::PicScaleY},
        {"wbmbitspixel", Kw::WbmBitsPixel},
        {"wbmplanes", Kw::WbmPlanes},
        {"wbmwidthbytes", Kw::WbmWidthBytes},
        {"pnlvlblt", Kw::PnLvlBlt},
        {"pnlvlbody", Kw::PnLvlBody},
        {"pnlvlcont", Kw::PnLvlCont},
        {"pnlvl", Kw::PnLvl},
        {"pndec", Kw::PnDec},
        {"pnucltr", Kw::PnUcLtr},
        {"pnlcltr", Kw::PnLcLtr},
        {"pnucrm", Kw::PnUcRm},
        {"pnlcrm", Kw::PnLcRm},
        {"plain", Kw::Plain},
        {"fs", Kw::Fs},
        {"b", Kw::B},
        {"i", Kw::I},
        {"ul", Kw::Ul},
        {"uld", Kw::Ul},
        {"uldash", Kw::Ul},
        {"uldashd", Kw::Ul},
        {"uldashdd", Kw::Ul},
        {"uldb", Kw::Ul},
        {"ulth", Kw::Ul},
        {"ulw", Kw::Ul},
        {"ulwave", Kw::Ul},
        {"ulnone", Kw::UlNone},
        {"strike", Kw::Strike},
        {"striked", Kw::Strike},
        {"super", Kw::Super},
        {"sub", Kw::Sub},
        {"nosupersub", Kw::NoSuperSub},
        {"cf", Kw::Cf},
        {"highlight", Kw::Highlight},
        {"cb", Kw::Cb},
        {"v", Kw::V},
        {"caps", Kw::Caps},
        {"scaps", Kw::SmallCaps},
        {"sl", Kw::Sl},
        {"slmult", Kw::SlMult},
        {"deftab", Kw::DefTab},
        {"uc", Kw::Uc},
        {"u", Kw::U},
        {"pard", Kw::Pard},
        {"ql", Kw::Ql},
        {"qc", Kw::Qc},
        {"qr", Kw::Qr},
        {"qj", Kw::Qj},
        {"qd", Kw::Qj},
        {"li", Kw::Li},
        {"ri", Kw::Ri},
        {"fi", Kw::Fi},
        {"sb", Kw::Sb},
        {"sa", Kw::Sa},
        {"tx", Kw::Tx},
        {"tqr", Kw::Tqr},
        {"tqc", Kw::Tqc},
        {"tqdec", Kw::Tqdec},
        {"par", Kw::Par},
        {"sect", Kw::Par},
        {"page", Kw::Par},
        {"line", Kw::Line},
        {"tab", Kw::Tab},
        {"intbl", Kw::Intbl},
        {"trowd", Kw::Trowd},
        {"trleft", Kw::TrLeft},
        {"cellx", Kw::Cellx},
        {"cell", Kw::Cell},
        // A table inside a cell is read as lines of tab-separated cells within the outer cell.
        {"nestcell", Kw::Tab},
        {"nestrow", Kw::Par},
        {"nonesttables", Kw::Skip}, // the same table again for readers that flatten none
        {"row", Kw::Row},
        {"emdash", Kw::Emdash},
        {"endash", Kw::Endash},
        {"bullet", Kw::Bullet},
        {"lquote", Kw::Lquote},
        {"rquote", Kw::Rquote},
        {"ldblquote", Kw::Ldblquote},
        {"rdblquote", Kw::Rdblquote},
        {"emspace", Kw::Emspace},
        {"enspace", Kw::Enspace},
        {"qmspace", Kw::Qmspace},
        {"zwj", Kw::Zwj},
        {"zwnj", Kw::Zwnj},
        {"ltrmark", Kw::Ltrmark},
        {"rtlmark", Kw::Rtlmark},
    };
    return map;
}

// 0x80..0x9F of code page 1252; the rest of the page is Latin-1.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString From1252(QByteArrayView bytes, bool symbol) {
    QString s(bytes.size(), Qt::Uninitialized);
    QChar* out = s.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        char16_t c = b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : char16_t(b);
        if (symbol && b == 0xB7)
            c = 0x2022; // the bullet of the symbol font, as list markers use it
        out[i] = QChar(c);
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

} // namespace

const Kw* FindKeyword(QByteArrayView name) {
    const auto& map = Keywords();
    const auto it = map.find(std::string_view(name.data(), size_t(name.size())));
    return it == map.end() ? nullptr : &it->second;
}

int CodePageOfCharset(int charset, int documentCp) {
    switch (charset) {
    case 0:
        return 1252;
    case 1:
        return documentCp;
    case 2:
        return CpSymbol;
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
        return documentCp;
    }
}

QString DecodeCodePage(QByteArrayView bytes, int cp) {
    if (cp == 1251)
        return TextCodec::FromCp1251(bytes);
    if (cp == 1252 || cp == CpSymbol)
        return From1252(bytes, cp == CpSymbol);
    // Converters keep state between calls; each call decodes a whole run, so it starts afresh.
    static std::map<int, QStringDecoder> decoders;
    auto it = decoders.find(cp);
    if (it == decoders.end())
        it = decoders.emplace(cp, QStringDecoder(DecoderName(cp).constData())).first;
    QStringDecoder& decoder = it->second;
    if (!decoder.isValid())
        return From1252(bytes, false);
    decoder.resetState();
    return decoder.decode(bytes);
}

} // namespace RtfDetail
