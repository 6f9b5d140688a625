#include "RtfKeywords.h"

#include "SymbolFonts.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

namespace RtfDetail {

namespace {

constexpr std::pair<std::string_view, Kw> Words[] = {
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
    {"pntxta", Kw::PnTxtA},
    {"pntxtb", Kw::PnTxtB},
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
    {"pnstart", Kw::PnStart},
    {"pnf", Kw::PnF},
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

// Every control word of the text is looked up, so the table is a small open-addressed one with a
// cheap hash rather than a general map: a few nanoseconds a word.
class KeywordTable {
public:
    KeywordTable() {
        for (const auto& [name, kw] : Words) {
            std::size_t i = Hash(name) & Mask;
            while (m_slots[i].kw)
                i = (i + 1) & Mask;
            m_slots[i] = {name, &kw};
        }
    }
    const Kw* Find(std::string_view name) const {
        for (std::size_t i = Hash(name) & Mask;; i = (i + 1) & Mask) {
            const Slot& slot = m_slots[i];
            if (!slot.kw)
                return nullptr;
            if (slot.name.size() == name.size() &&
                std::memcmp(slot.name.data(), name.data(), name.size()) == 0)
                return slot.kw;
        }
    }

private:
    static constexpr std::size_t Size = 1024; // several times the words, so probes stay short
    static constexpr std::size_t Mask = Size - 1;
    static std::size_t Hash(std::string_view name) {
        std::uint32_t h = 2166136261u;
        for (const char c : name)
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        return h ^ (h >> 15);
    }
    struct Slot {
        std::string_view name;
        const Kw* kw = nullptr;
    };
    std::array<Slot, Size> m_slots{};
};

} // namespace

const Kw* FindKeyword(QByteArrayView name) {
    static const KeywordTable table;
    return table.Find(std::string_view(name.data(), size_t(name.size())));
}

int CodePageOfCharset(int charset, int documentCp) {
    return SymbolFonts::CodePageOfCharset(charset, documentCp);
}

std::optional<QStringView> SpecialCharacter(Kw kw) {
    switch (kw) {
    case Kw::Line:
        return QStringView(u"\u2028");
    case Kw::Tab:
        return QStringView(u"\t");
    case Kw::Emdash:
        return QStringView(u"\u2014");
    case Kw::Endash:
        return QStringView(u"\u2013");
    case Kw::Bullet:
        return QStringView(u"\u2022");
    case Kw::Lquote:
        return QStringView(u"\u2018");
    case Kw::Rquote:
        return QStringView(u"\u2019");
    case Kw::Ldblquote:
        return QStringView(u"\u201C");
    case Kw::Rdblquote:
        return QStringView(u"\u201D");
    case Kw::Emspace:
        return QStringView(u"\u2003");
    case Kw::Enspace:
        return QStringView(u"\u2002");
    case Kw::Qmspace:
        return QStringView(u"\u2005");
    case Kw::Zwj:
        return QStringView(u"\u200D");
    case Kw::Zwnj:
        return QStringView(u"\u200C");
    case Kw::Ltrmark:
        return QStringView(u"\u200E");
    case Kw::Rtlmark:
        return QStringView(u"\u200F");
    default:
        return std::nullopt;
    }
}

int CodePageOfFont(QStringView family, int charset, int cpg) {
    switch (SymbolFonts::EncodingOf(family, charset)) {
    case SymbolFonts::Encoding::Symbol:
        return CpSymbol;
    case SymbolFonts::Encoding::MtExtra:
        return CpMtExtra;
    case SymbolFonts::Encoding::Private:
        return CpPrivateSymbol;
    case SymbolFonts::Encoding::None:
        break;
    }
    if (cpg > 0)
        return cpg;
    return charset >= 0 ? CodePageOfCharset(charset, 0) : 0;
}

SymbolFonts::Encoding EncodingOfCp(int cp) {
    return cp == CpSymbol    ? SymbolFonts::Encoding::Symbol
           : cp == CpMtExtra ? SymbolFonts::Encoding::MtExtra
                             : SymbolFonts::Encoding::Private;
}

QString DecodeCodePage(QByteArrayView bytes, int cp) {
    if (IsSymbolCp(cp))
        return SymbolFonts::MapBytes(bytes, EncodingOfCp(cp));
    return SymbolFonts::DecodeCodePage(bytes, cp);
}

} // namespace RtfDetail
