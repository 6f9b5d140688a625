#include "RtfReader.h"

#include "RtfPicture.h"
#include "RtfTokenizer.h"
#include "model/TextCodec.h"

#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// --- Keywords -------------------------------------------------------------------------------

enum class Kw {
    // header and tables of the document
    Rtf, Ansi, Mac, Pc, Pca, AnsiCpg, Deff, FontTable, ColorTable, F, FCharset, Cpg, Red, Green, Blue,
    // destinations
    Skip, Star, Pict, ShpPict, NonShpPict, Object, Result, PnText, Pn, PnTxt, Field, FldInst, FldRslt,
    // picture words
    PngBlip, JpegBlip, DiBitmap, WBitmap, WMetafile, EmfBlip, OtherBlip, PicW, PicH, PicWGoal, PicHGoal,
    PicScaleX, PicScaleY, WbmBitsPixel, WbmPlanes, WbmWidthBytes,
    // list words inside \pn
    PnLvlBlt, PnLvlBody, PnLvlCont, PnLvl, PnDec, PnUcLtr, PnLcLtr, PnUcRm, PnLcRm,
    // characters
    Plain, Fs, B, I, Ul, UlNone, Strike, Super, Sub, NoSuperSub, Cf, Highlight, Cb, V, Uc, U,
    // paragraphs
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Tx, Tqr, Tqc, Tqdec, Par, Line, Tab, Intbl,
    // tables
    Trowd, Cellx, Cell, Row,
    // special characters
    Emdash, Endash, Bullet, Lquote, Rquote, Ldblquote, Rdblquote, Emspace, Enspace, Qmspace, Zwj, Zwnj,
    Ltrmark, Rtlmark,
};

const std::unordered_map<std::string_view, Kw>& Keywords() {
    static const std::unordered_map<std::string_view, Kw> map = {
        {"rtf", Kw::Rtf}, {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
        {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::Deff}, {"fonttbl", Kw::FontTable}, {"colortbl", Kw::ColorTable},
        {"f", Kw::F}, {"fcharset", Kw::FCharset}, {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green},
        {"blue", Kw::Blue},
        // Destinations whose content is never shown, written with or without \*.
        {"stylesheet", Kw::Skip}, {"info", Kw::Skip}, {"header", Kw::Skip}, {"headerl", Kw::Skip},
        {"headerr", Kw::Skip}, {"headerf", Kw::Skip}, {"footer", Kw::Skip}, {"footerl", Kw::Skip},
        {"footerr", Kw::Skip}, {"footerf", Kw::Skip}, {"footnote", Kw::Skip}, {"annotation", Kw::Skip},
        {"xe", Kw::Skip}, {"tc", Kw::Skip}, {"txe", Kw::Skip}, {"rxe", Kw::Skip}, {"template", Kw::Skip},
        {"revtbl", Kw::Skip}, {"filetbl", Kw::Skip}, {"objdata", Kw::Skip}, {"objclass", Kw::Skip},
        {"objname", Kw::Skip}, {"comment", Kw::Skip}, {"private", Kw::Skip}, {"pntxta", Kw::PnTxt},
        {"pntxtb", Kw::PnTxt}, {"*", Kw::Star}, {"pict", Kw::Pict}, {"shppict", Kw::ShpPict},
        {"nonshppict", Kw::NonShpPict}, {"object", Kw::Object}, {"result", Kw::Result}, {"pntext", Kw::PnText},
        {"pn", Kw::Pn}, {"field", Kw::Field}, {"fldinst", Kw::FldInst}, {"fldrslt", Kw::FldRslt},
        {"pngblip", Kw::PngBlip}, {"jpegblip", Kw::JpegBlip}, {"dibitmap", Kw::DiBitmap},
        {"wbitmap", Kw::WBitmap}, {"wmetafile", Kw::WMetafile}, {"emfblip", Kw::EmfBlip},
        {"macpict", Kw::OtherBlip}, {"pmmetafile", Kw::OtherBlip}, {"picw", Kw::PicW}, {"pich", Kw::PicH},
        {"picwgoal", Kw::PicWGoal}, {"pichgoal", Kw::PicHGoal}, {"picscalex", Kw::PicScaleX},
        {"picscaley", Kw::PicScaleY}, {"wbmbitspixel", Kw::WbmBitsPixel}, {"wbmplanes", Kw::WbmPlanes},
        {"wbmwidthbytes", Kw::WbmWidthBytes}, {"pnlvlblt", Kw::PnLvlBlt}, {"pnlvlbody", Kw::PnLvlBody},
        {"pnlvlcont", Kw::PnLvlCont}, {"pnlvl", Kw::PnLvl}, {"pndec", Kw::PnDec}, {"pnucltr", Kw::PnUcLtr},
        {"pnlcltr", Kw::PnLcLtr}, {"pnucrm", Kw::PnUcRm}, {"pnlcrm", Kw::PnLcRm}, {"plain", Kw::Plain},
        {"fs", Kw::Fs}, {"b", Kw::B}, {"i", Kw::I}, {"ul", Kw::Ul}, {"uld", Kw::Ul}, {"uldash", Kw::Ul},
        {"uldashd", Kw::Ul}, {"uldashdd", Kw::Ul}, {"uldb", Kw::Ul}, {"ulth", Kw::Ul}, {"ulw", Kw::Ul},
        {"ulwave", Kw::Ul}, {"ulnone", Kw::UlNone}, {"strike", Kw::Strike}, {"striked", Kw::Strike},
        {"super", Kw::Super}, {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub}, {"cf", Kw::Cf},
        {"highlight", Kw::Highlight}, {"cb", Kw::Cb}, {"v", Kw::V}, {"uc", Kw::Uc}, {"u", Kw::U},
        {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj}, {"qd", Kw::Qj},
        {"li", Kw::Li}, {"ri", Kw::Ri}, {"fi", Kw::Fi}, {"sb", Kw::Sb}, {"sa", Kw::Sa}, {"tx", Kw::Tx},
        {"tqr", Kw::Tqr}, {"tqc", Kw::Tqc}, {"tqdec", Kw::Tqdec}, {"par", Kw::Par}, {"sect", Kw::Par},
        {"page", Kw::Par}, {"line", Kw::Line}, {"tab", Kw::Tab}, {"intbl", Kw::Intbl}, {"trowd", Kw::Trowd},
        {"cellx", Kw::Cellx}, {"cell", Kw::Cell}, {"row", Kw::Row}, {"emdash", Kw::Emdash},
        {"endash", Kw::Endash}, {"bullet", Kw::Bullet}, {"lquote", Kw::Lquote}, {"rquote", Kw::Rquote},
        {"ldblquote", Kw::Ldblquote}, {"rdblquote", Kw::Rdblquote}, {"emspace", Kw::Emspace},
        {"enspace", Kw::Enspace}, {"qmspace", Kw::Qmspace}, {"zwj", Kw::Zwj}, {"zwnj", Kw::Zwnj},
        {"ltrmark", Kw::Ltrmark}, {"rtlmark", Kw::Rtlmark},
    };
    return map;
}

// --- Code pages -----------------------------------------------------------------------------

constexpr int CpSymbol = 42; // the symbol character set has no code page; bytes are glyph numbers

int CodePageOfCharset(int charset, int documentCp) {
    switch (charset) {
    case 0: return 1252;
    case 1: return documentCp;
    case 2: return CpSymbol;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return documentCp;
    }
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
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 10000: return "macintosh";
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 866: return "IBM866";
    default: return "windows-" + QByteArray::number(cp);
    }
}

// --- Group state ----------------------------------------------------------------------------

enum class Dest : quint8 { Text, Skip, FontTable, ColorTable, Pict, Pn, FieldInst, Object };

enum class ListKind : quint8 { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct CharState {
    int font = -1; // -1: the default font (\deff)
    int size = 0;  // half-points; 0: the control's size
    int fg = 0, bg = 0;
    int link = -1;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    quint8 vertical = 0; // 1 superscript, 2 subscript
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0; // twips
    bool intbl = false;
    ListKind list = ListKind::None;
    int listLevel = 1;
    QTextOption::TabType nextTab = QTextOption::LeftTab;
    QList<QTextOption::Tab> tabs;
};

struct Group {
    Dest dest = Dest::Text;
    Kw owner = Kw::Rtf; // the destination word that opened this group, if it did
    bool starred = false;
    bool fresh = true; // no token other than \* seen yet in this group
    int uc = 1;
    CharState ch;
    ParaState para;
};

struct FontEntry {
    QString family;
    int codePage = 0;
};

class Reader {
public:
    Reader(QByteArrayView data, QTextDocument& doc)
        : m_tokens(data), m_doc(doc), m_cursor(&doc), m_cellsLeft(256 + data.size() / 16) {}

    void Run();

private:
    Group& Top() { return m_stack.back(); }
    void Push();
    void Pop();
    void OnWord(QByteArrayView name, bool hasParam, int param);
    void OnDestination(Kw kw);
    void OnSymbol(char c);
    void OnText(QByteArrayView bytes);
    void OnByte(unsigned char b);
    void OnUnicode(int value);
    void CommitFont();
    // The tables that formats are built from changed.
    void ForgetFormats() {
        m_formatCache.clear();
        m_formatBuilt = false;
        m_charDirty = true;
    }

    // The builder.
    int CurrentCp();
    void AppendBytes(QByteArrayView bytes);
    void AppendChars(QStringView chars);
    void BeginContent();
    void Structure();
    void DecodePending();
    void FlushText();
    void UpdateTable(bool wantTable);
    void MoveToCell();
    void EnterCell();
    void EndParagraph();
    void ApplyParagraph();
    void Cell();
    void Row();
    void InsertPicture();
    QTextCharFormat BuildCharFormat(const CharState& ch);
    void Finish();

    RtfTokenizer m_tokens;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<Group> m_stack;
    int m_overflow = 0; // groups opened beyond MaxDepth, flattened into the deepest one
    int m_ucSkip = 0;
    bool m_done = false;

    // Document tables.
    int m_documentCp = 1251;
    int m_deff = -1;
    QHash<int, FontEntry> m_fonts;
    int m_fontNumber = -1;
    int m_fontCharset = -1;
    int m_fontCpg = 0;
    QByteArray m_fontName;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSeen = false;
    QStringList m_links;
    QByteArray m_fieldInst;

    // Text runs.
    QByteArray m_bytes;
    int m_bytesCp = 0;
    int m_cpFont = INT_MIN;
    int m_cpValue = 0;
    QString m_text;
    QTextCharFormat m_format;
    CharState m_formatState;
    bool m_formatBuilt = false;
    bool m_charDirty = true; // the character state may differ from m_formatState
    std::vector<std::pair<CharState, QTextCharFormat>> m_formatCache;
    char16_t m_highSurrogate = 0;

    // Paragraphs, lists and tables.
    bool m_pendingPara = false;
    qsizetype m_pnStart = -1, m_pnEnd = -1;
    QTextList* m_list = nullptr;
    ListKind m_listKind = ListKind::None;
    int m_listLevel = 0;
    int m_listLastBlock = -1;
    ListKind m_pnList = ListKind::None;
    int m_pnLevel = 1;
    QTextTable* m_table = nullptr;
    int m_row = 0, m_col = 0;
    bool m_rowEnded = false;
    bool m_cellPending = false;
    bool m_tablesAllowed = true;
    qint64 m_cellsLeft;
    QList<int> m_cellx;
    int m_trleft = 0;

    // Pictures.
    RtfPicture m_pict;
    int m_nibble = -1;
    bool m_afterShpPict = false;
    int m_pictures = 0;
    qint64 m_pixelsLeft = qint64(64) << 20;
};

void Reader::Run() {
    m_stack.reserve(Rtf::MaxDepth + 1);
    m_stack.push_back(Group{});
    bool rootOpened = false;
    while (!m_done) {
        const RtfToken t = m_tokens.Next();
        if (t.kind == RtfToken::End)
            break;
        if (m_ucSkip > 0) {
            if (t.kind == RtfToken::GroupOpen || t.kind == RtfToken::GroupClose) {
                m_ucSkip = 0;
            } else if (t.kind == RtfToken::Text && t.text.size() > m_ucSkip) {
                const int skip = m_ucSkip;
                m_ucSkip = 0;
                OnText(t.text.sliced(skip));
                continue;
            } else {
                m_ucSkip -= t.kind == RtfToken::Text ? int(t.text.size()) : 1;
                continue;
            }
        }
        switch (t.kind) {
        case RtfToken::GroupOpen:
            if (!rootOpened) {
                rootOpened = true; // the root group is the bottom of the stack
                break;
            }
            Push();
            break;
        case RtfToken::GroupClose:
            if (m_overflow > 0)
                --m_overflow;
            else if (m_stack.size() > 1)
                Pop();
            else
                m_done = true; // the root closed: what follows is not part of the document
            break;
        case RtfToken::Word:
            OnWord(t.text, t.hasParam, t.value);
            break;
        case RtfToken::Symbol:
            OnSymbol(t.symbol);
            break;
        case RtfToken::Hex:
            Top().fresh = false;
            OnByte(static_cast<unsigned char>(t.value));
            break;
        case RtfToken::Text:
            OnText(t.text);
            break;
        case RtfToken::Binary:
            Top().fresh = false;
            if (Top().dest == Dest::Pict)
                m_pict.bytes.append(t.text.data(), t.text.size());
            break;
        case RtfToken::End:
            break;
        }
    }
    Finish();
}

void Reader::Push() {
    if (int(m_stack.size()) >= Rtf::MaxDepth) {
        ++m_overflow;
        return;
    }
    Group g = Top();
    g.owner = Kw::Rtf;
    g.starred = false;
    g.fresh = true;
    m_stack.push_back(std::move(g));
}

void Reader::Pop() {
    const Group closed = std::move(m_stack.back());
    m_stack.pop_back();
    m_charDirty = true;
    Group& parent = Top();
    switch (closed.owner) {
    case Kw::Pict:
        InsertPicture();
        break;
    case Kw::ShpPict:
        m_afterShpPict = true;
        break;
    case Kw::PnText:
        FlushText();
        m_pnEnd = m_cursor.position();
        break;
    case Kw::Pn:
        // The list words of \pn describe the paragraph around it.
        parent.para.list = m_pnList;
        parent.para.listLevel = m_pnLevel;
        break;
    case Kw::FldInst: {
        // HYPERLINK "target": the result of the field becomes a link to the target.
        const QString inst = TextCodec::FromCp1251(m_fieldInst).trimmed();
        if (inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) {
            QString target = inst.mid(9).trimmed();
            const qsizetype q1 = target.indexOf(QLatin1Char('"'));
            const qsizetype q2 = q1 >= 0 ? target.indexOf(QLatin1Char('"'), q1 + 1) : -1;
            if (q2 > q1)
                target = target.mid(q1 + 1, q2 - q1 - 1);
            if (!target.isEmpty() && m_links.size() < 4096) {
                m_links.append(target);
                parent.ch.link = int(m_links.size() - 1);
            }
        }
        m_fieldInst.clear();
        break;
    }
    default:
        break;
    }
    if (closed.dest == Dest::FontTable && !m_fontName.isEmpty())
        CommitFont(); // an entry closed without its ';'
}

void Reader::OnDestination(Kw kw) {
    Group& g = Top();
    g.owner = kw;
    switch (kw) {
    case Kw::FontTable:
        g.dest = Dest::FontTable;
        break;
    case Kw::ColorTable:
        g.dest = Dest::ColorTable;
        m_colorSeen = false;
        break;
    case Kw::Pict:
        g.dest = Dest::Pict;
        m_pict = RtfPicture{};
        m_nibble = -1;
        break;
    case Kw::ShpPict:
        g.dest = Dest::Text;
        break;
    case Kw::NonShpPict:
        // The same picture in an older form, for readers that cannot take the preferred one.
        g.dest = m_afterShpPict ? Dest::Skip : Dest::Text;
        break;
    case Kw::Object:
        g.dest = Dest::Object;
        break;
    case Kw::Result:
        g.dest = Dest::Text;
        break;
    case Kw::PnText:
        g.dest = Dest::Text;
        Structure();
        FlushText();
        m_pnStart = m_cursor.position();
        m_pnEnd = -1;
        break;
    case Kw::Pn:
        g.dest = Dest::Pn;
        m_pnList = ListKind::None;
        m_pnLevel = 1;
        break;
    case Kw::FldInst:
        g.dest = Dest::FieldInst;
        m_fieldInst.clear();
        break;
    case Kw::Field:
    case Kw::FldRslt:
        break;
    default:
        g.dest = Dest::Skip;
        break;
    }
}

void Reader::OnWord(QByteArrayView name, bool hasParam, int param) {
    Group& g = Top();
    const bool fresh = g.fresh;
    g.fresh = false;
    const auto& map = Keywords();
    const auto it = map.find(std::string_view(name.data(), size_t(name.size())));
    if (it == map.end()) {
        if (g.starred && fresh)
            g.dest = Dest::Skip; // an unknown destination that readers may ignore
        return;
    }
    const Kw kw = it->second;
    if (g.dest == Dest::Skip)
        return;
    const int p = hasParam ? param : 0;
    const bool on = !hasParam || param != 0;
    switch (kw) {
    case Kw::Skip:
    case Kw::PnTxt:
    case Kw::FontTable:
    case Kw::ColorTable:
    case Kw::Pict:
    case Kw::ShpPict:
    case Kw::NonShpPict:
    case Kw::Object:
    case Kw::Result:
    case Kw::PnText:
    case Kw::Pn:
    case Kw::Field:
    case Kw::FldInst:
    case Kw::FldRslt:
        if (g.dest == Dest::Object && kw != Kw::Result) {
            g.dest = Dest::Skip; // inside an object only the result is shown
            return;
        }
        OnDestination(kw);
        return;
    case Kw::Star:
        return;
    default:
        break;
    }
    if (g.starred && fresh) {
        // \* before a word that is not a destination we take: skip the group.
        g.dest = Dest::Skip;
        return;
    }

    switch (g.dest) {
    case Dest::FontTable:
        switch (kw) {
        case Kw::F:
            if (!m_fontName.isEmpty())
                CommitFont();
            m_fontNumber = p;
            m_fontCharset = -1;
            m_fontCpg = 0;
            break;
        case Kw::FCharset:
            m_fontCharset = p;
            break;
        case Kw::Cpg:
            m_fontCpg = p;
            break;
        default:
            break;
        }
        return;
    case Dest::ColorTable:
        if (kw == Kw::Red || kw == Kw::Green || kw == Kw::Blue) {
            const int v = std::clamp(p, 0, 255);
            (kw == Kw::Red ? m_red : kw == Kw::Green ? m_green : m_blue) = v;
            m_colorSeen = true;
        }
        return;
    case Dest::Pict:
        switch (kw) {
        case Kw::PngBlip: m_pict.kind = RtfPicture::Png; break;
        case Kw::JpegBlip: m_pict.kind = RtfPicture::Jpeg; break;
        case Kw::DiBitmap: m_pict.kind = RtfPicture::Dib; break;
        case Kw::WBitmap: m_pict.kind = RtfPicture::Wbitmap; break;
        case Kw::WMetafile: m_pict.kind = RtfPicture::Wmf; break;
        case Kw::EmfBlip: m_pict.kind = RtfPicture::Emf; break;
        case Kw::OtherBlip: m_pict.kind = RtfPicture::Unknown; break;
        case Kw::PicW: m_pict.picw = p; break;
        case Kw::PicH: m_pict.pich = p; break;
        case Kw::PicWGoal: m_pict.goalw = p; break;
        case Kw::PicHGoal: m_pict.goalh = p; break;
        case Kw::PicScaleX: m_pict.scalex = p; break;
        case Kw::PicScaleY: m_pict.scaley = p; break;
        case Kw::WbmBitsPixel: m_pict.bitsPixel = p; break;
        case Kw::WbmPlanes: m_pict.planes = p; break;
        case Kw::WbmWidthBytes: m_pict.widthBytes = p; break;
        default: break;
        }
        return;
    case Dest::Pn:
        switch (kw) {
        case Kw::PnLvlBlt: m_pnList = ListKind::Bullet; break;
        case Kw::PnLvlBody: m_pnList = ListKind::Decimal; break;
        case Kw::PnLvlCont: m_pnList = ListKind::None; break;
        case Kw::PnLvl:
            m_pnList = ListKind::Decimal;
            m_pnLevel = std::clamp(p, 1, 9);
            break;
        case Kw::PnDec:
        case Kw::PnUcLtr:
        case Kw::PnLcLtr:
        case Kw::PnUcRm:
        case Kw::PnLcRm:
            if (m_pnList != ListKind::Bullet) {
                m_pnList = kw == Kw::PnDec     ? ListKind::Decimal
                           : kw == Kw::PnUcLtr ? ListKind::UpperAlpha
                           : kw == Kw::PnLcLtr ? ListKind::LowerAlpha
                           : kw == Kw::PnUcRm  ? ListKind::UpperRoman
                                               : ListKind::LowerRoman;
            }
            break;
        default:
            break;
        }
        return;
    case Dest::Skip:
    case Dest::FieldInst:
    case Dest::Object:
        return;
    case Dest::Text:
        break;
    }

    CharState& ch = g.ch;
    ParaState& para = g.para;
    m_charDirty = true;
    switch (kw) {
    case Kw::Ansi: m_documentCp = 1252; break;
    case Kw::Mac: m_documentCp = 10000; break;
    case Kw::Pc: m_documentCp = 437; break;
    case Kw::Pca: m_documentCp = 850; break;
    case Kw::AnsiCpg:
        if (p > 0)
            m_documentCp = p;
        m_cpFont = INT_MIN;
        break;
    case Kw::Deff:
        m_deff = p;
        m_cpFont = INT_MIN;
        break;
    case Kw::F: ch.font = p; break;
    case Kw::Plain: {
        const int link = ch.link;
        ch = CharState{};
        ch.link = link; // a field's result stays a link through \plain
        break;
    }
    case Kw::Fs: ch.size = p > 0 ? std::min(p, 3276) : 0; break;
    case Kw::B: ch.bold = on; break;
    case Kw::I: ch.italic = on; break;
    case Kw::Ul: ch.underline = on; break;
    case Kw::UlNone: ch.underline = false; break;
    case Kw::Strike: ch.strike = on; break;
    case Kw::Super: ch.vertical = on ? 1 : 0; break;
    case Kw::Sub: ch.vertical = on ? 2 : 0; break;
    case Kw::NoSuperSub: ch.vertical = 0; break;
    case Kw::Cf: ch.fg = p; break;
    case Kw::Highlight:
    case Kw::Cb: ch.bg = p; break;
    case Kw::V: ch.hidden = on; break;
    case Kw::Uc: g.uc = std::max(p, 0); break;
    case Kw::U:
        OnUnicode(p);
        m_ucSkip = g.uc;
        break;
    case Kw::Pard: para = ParaState{}; break;
    case Kw::Ql: para.align = Qt::AlignLeft; break;
    case Kw::Qc: para.align = Qt::AlignHCenter; break;
    case Kw::Qr: para.align = Qt::AlignRight; break;
    case Kw::Qj: para.align = Qt::AlignJustify; break;
    case Kw::Li: para.li = p; break;
    case Kw::Ri: para.ri = p; break;
    case Kw::Fi: para.fi = p; break;
    case Kw::Sb: para.sb = p; break;
    case Kw::Sa: para.sa = p; break;
    case Kw::Tqr: para.nextTab = QTextOption::RightTab; break;
    case Kw::Tqc: para.nextTab = QTextOption::CenterTab; break;
    case Kw::Tqdec: para.nextTab = QTextOption::DelimiterTab; break;
    case Kw::Tx:
        if (para.tabs.size() < 64) {
            QTextOption::Tab tab(std::clamp(p, 0, 1 << 20) / 15.0, para.nextTab);
            if (para.nextTab == QTextOption::DelimiterTab)
                tab.delimiter = QLatin1Char('.');
            para.tabs.append(tab);
        }
        para.nextTab = QTextOption::LeftTab;
        break;
    case Kw::Intbl: para.intbl = true; break;
    case Kw::Par: EndParagraph(); break;
    case Kw::Line: AppendChars(u"\u2028"); break;
    case Kw::Tab: AppendChars(u"\t"); break;
    case Kw::Trowd:
        m_cellx.clear();
        m_trleft = 0;
        break;
    case Kw::Cellx:
        if (m_cellx.size() < 63)
            m_cellx.append(p);
        break;
    case Kw::Cell: Cell(); break;
    case Kw::Row: Row(); break;
    case Kw::Emdash: AppendChars(u"\u2014"); break;
    case Kw::Endash: AppendChars(u"\u2013"); break;
    case Kw::Bullet: AppendChars(u"\u2022"); break;
    case Kw::Lquote: AppendChars(u"\u2018"); break;
    case Kw::Rquote: AppendChars(u"\u2019"); break;
    case Kw::Ldblquote: AppendChars(u"\u201C"); break;
    case Kw::Rdblquote: AppendChars(u"\u201D"); break;
    case Kw::Emspace: AppendChars(u"\u2003"); break;
    case Kw::Enspace: AppendChars(u"\u2002"); break;
    case Kw::Qmspace: AppendChars(u"\u2005"); break;
    case Kw::Zwj: AppendChars(u"\u200D"); break;
    case Kw::Zwnj: AppendChars(u"\u200C"); break;
    case Kw::Ltrmark: AppendChars(u"\u200E"); break;
    case Kw::Rtlmark: AppendChars(u"\u200F"); break;
    default: break;
    }
}

void Reader::OnSymbol(char c) {
    Group& g = Top();
    if (c == '*') {
        if (g.fresh)
            g.starred = true;
        return;
    }
    const bool fresh = g.fresh;
    g.fresh = false;
    if (g.starred && fresh) {
        g.dest = Dest::Skip;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        OnByte(static_cast<unsigned char>(c));
        break;
    case '~':
        if (g.dest == Dest::Text)
            AppendChars(u"\u00A0");
        break;
    case '-':
        if (g.dest == Dest::Text)
            AppendChars(u"\u00AD");
        break;
    case '_':
        if (g.dest == Dest::Text)
            AppendChars(u"\u2011");
        break;
    default:
        break; // \| \: and unknown symbols mean nothing here
    }
}

void Reader::OnText(QByteArrayView bytes) {
    Group& g = Top();
    if (g.starred && g.fresh) {
        g.dest = Dest::Skip;
    }
    g.fresh = false;
    if (g.dest == Dest::Text) {
        AppendBytes(bytes);
        return;
    }
    if (g.dest == Dest::Skip || g.dest == Dest::Object)
        return;
    for (const char c : bytes)
        OnByte(static_cast<unsigned char>(c));
}

void Reader::OnByte(unsigned char b) {
    Group& g = Top();
    switch (g.dest) {
    case Dest::Text:
        AppendBytes(QByteArrayView(reinterpret_cast<const char*>(&b), 1));
        return;
    case Dest::FontTable:
        if (b == ';')
            CommitFont();
        else if (m_fontName.size() < 256) {
            m_fontName.append(char(b));
        }
        return;
    case Dest::ColorTable:
        if (b == ';') {
            if (m_colors.size() < 4096)
                m_colors.append(m_colorSeen ? QColor(m_red, m_green, m_blue) : QColor());
            ForgetFormats();
            m_red = m_green = m_blue = 0;
            m_colorSeen = false;
        }
        return;
    case Dest::Pict: {
        int v = -1;
        if (b >= '0' && b <= '9')
            v = b - '0';
        else if (b >= 'a' && b <= 'f')
            v = b - 'a' + 10;
        else if (b >= 'A' && b <= 'F')
            v = b - 'A' + 10;
        if (v < 0)
            return;
        if (m_nibble < 0) {
            m_nibble = v;
        } else {
            m_pict.bytes.append(char(m_nibble * 16 + v));
            m_nibble = -1;
        }
        return;
    }
    case Dest::FieldInst:
        if (m_fieldInst.size() < 2048)
            m_fieldInst.append(char(b));
        return;
    case Dest::Pn:
    case Dest::Skip:
    case Dest::Object:
        return;
    }
}

void Reader::OnUnicode(int value) {
    if (Top().dest != Dest::Text)
        return;
    int v = value < 0 ? value + 65536 : value;
    if (v <= 0 || v > 0xFFFF)
        return;
    const auto c = char16_t(v);
    if (QChar::isHighSurrogate(c)) {
        if (m_highSurrogate)
            AppendChars(u"\uFFFD");
        m_highSurrogate = c;
        return;
    }
    if (QChar::isLowSurrogate(c)) {
        if (!m_highSurrogate) {
            AppendChars(u"\uFFFD");
            return;
        }
        const char16_t pair[2] = {m_highSurrogate, c};
        m_highSurrogate = 0;
        AppendChars(QStringView(pair, 2));
        return;
    }
    AppendChars(QStringView(&c, 1));
}

void Reader::CommitFont() {
    if (m_fontNumber >= 0 && m_fonts.size() < 1024) {
        FontEntry e;
        // 0 means "the document's code page", looked up when text needs it.
        e.codePage = m_fontCpg > 0 ? m_fontCpg : m_fontCharset >= 0 ? CodePageOfCharset(m_fontCharset, 0) : 0;
        const int nameCp = e.codePage > 0 ? e.codePage : m_documentCp;
        e.family = (nameCp == 1251 ? TextCodec::FromCp1251(m_fontName) : From1252(m_fontName, false)).trimmed();
        m_fonts.insert(m_fontNumber, e);
        ForgetFormats();
    }
    m_fontName.clear();
    m_cpFont = INT_MIN;
}

// --- The builder ----------------------------------------------------------------------------

int Reader::CurrentCp() {
    const int font = Top().ch.font >= 0 ? Top().ch.font : m_deff;
    if (font != m_cpFont) {
        m_cpFont = font;
        const auto it = m_fonts.constFind(font);
        m_cpValue = it != m_fonts.cend() && it->codePage > 0 ? it->codePage : m_documentCp;
    }
    return m_cpValue;
}

void Reader::AppendBytes(QByteArrayView bytes) {
    if (Top().ch.hidden)
        return;
    BeginContent();
    const int cp = CurrentCp();
    if (cp != m_bytesCp && !m_bytes.isEmpty())
        DecodePending();
    m_bytesCp = cp;
    for (const char c : bytes) {
        if (c != '\0')
            m_bytes.append(c);
    }
}

void Reader::AppendChars(QStringView chars) {
    if (Top().ch.hidden)
        return;
    BeginContent();
    if (!m_bytes.isEmpty())
        DecodePending();
    m_text.append(chars);
}

// Everything that must happen before content lands: a lone high surrogate is given up, the
// paragraph or table row that the content opens is made, and a change of character format ends
// the current run.
void Reader::BeginContent() {
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        m_text.append(QChar(0xFFFD));
    }
    m_afterShpPict = false;
    Structure();
    if (!m_charDirty)
        return;
    m_charDirty = false;
    const CharState& ch = Top().ch;
    if (m_formatBuilt && ch == m_formatState)
        return;
    FlushText();
    m_formatState = ch;
    m_formatBuilt = true;
    // Texts switch between a few formats again and again: keep the recent ones.
    for (const auto& [state, format] : m_formatCache) {
        if (state == ch) {
            m_format = format;
            return;
        }
    }
    m_format = BuildCharFormat(ch);
    if (m_formatCache.size() >= 16)
        m_formatCache.erase(m_formatCache.begin());
    m_formatCache.emplace_back(ch, m_format);
}

void Reader::Structure() {
    const bool wantTable = Top().para.intbl && m_tablesAllowed;
    if (wantTable != (m_table != nullptr) || (m_table && m_rowEnded))
        UpdateTable(wantTable);
    if (m_cellPending && m_table) {
        FlushText();
        EnterCell();
    }
    if (m_pendingPara) {
        FlushText();
        m_cursor.insertBlock();
        m_pendingPara = false;
    }
}

void Reader::DecodePending() {
    if (m_bytesCp == 1251)
        m_text += TextCodec::FromCp1251(m_bytes);
    else if (m_bytesCp == 1252 || m_bytesCp == CpSymbol)
        m_text += From1252(m_bytes, m_bytesCp == CpSymbol);
    else {
        static std::map<int, QStringDecoder> decoders;
        auto it = decoders.find(m_bytesCp);
        if (it == decoders.end())
            it = decoders.emplace(m_bytesCp, QStringDecoder(DecoderName(m_bytesCp).constData())).first;
        QStringDecoder& decoder = it->second;
        if (decoder.isValid()) {
            decoder.resetState();
            m_text += decoder.decode(m_bytes);
        } else {
            m_text += From1252(m_bytes, false);
        }
    }
    m_bytes.clear();
}

void Reader::FlushText() {
    if (!m_bytes.isEmpty())
        DecodePending();
    if (m_text.isEmpty())
        return;
    m_cursor.insertText(m_text, m_format);
    m_text.clear();
}

QTextCharFormat Reader::BuildCharFormat(const CharState& ch) {
    QTextCharFormat f;
    const int font = ch.font >= 0 ? ch.font : m_deff;
    const auto it = m_fonts.constFind(font);
    if (it != m_fonts.cend() && !it->family.isEmpty())
        f.setFontFamilies({it->family});
    if (ch.size > 0)
        f.setFontPointSize(ch.size / 2.0);
    if (ch.bold)
        f.setFontWeight(QFont::Bold);
    if (ch.italic)
        f.setFontItalic(true);
    if (ch.underline)
        f.setFontUnderline(true);
    if (ch.strike)
        f.setFontStrikeOut(true);
    if (ch.vertical)
        f.setVerticalAlignment(ch.vertical == 1 ? QTextCharFormat::AlignSuperScript
                                                : QTextCharFormat::AlignSubScript);
    if (ch.fg > 0 && ch.fg < m_colors.size() && m_colors[ch.fg].isValid())
        f.setForeground(m_colors[ch.fg]);
    if (ch.bg > 0 && ch.bg < m_colors.size() && m_colors[ch.bg].isValid())
        f.setBackground(m_colors[ch.bg]);
    if (ch.link >= 0 && ch.link < m_links.size()) {
        f.setAnchor(true);
        f.setAnchorHref(m_links[ch.link]);
    }
    return f;
}

void Reader::UpdateTable(bool wantTable) {
    FlushText();
    if (!wantTable) {
        // Leave the table: the block after it takes what follows.
        m_cursor = m_table->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
        m_table = nullptr;
        m_pendingPara = false;
        m_cellPending = false;
        return;
    }
    m_pendingPara = false; // the table itself starts on a line of its own
    if (!m_table) {
        const int columns = std::max<int>(1, int(m_cellx.size()));
        if (m_cellsLeft < columns) {
            m_tablesAllowed = false;
            return;
        }
        m_cellsLeft -= columns;
        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellPadding(2);
        format.setCellSpacing(0);
        m_table = m_cursor.insertTable(1, columns, format);
        m_row = 0;
        m_col = 0;
        m_cellPending = false;
        m_rowEnded = false;
        MoveToCell();
        return;
    }
    const int columns = m_table->columns();
    if (m_cellsLeft < columns) {
        // Out of budget: the rest is read as plain paragraphs.
        m_tablesAllowed = false;
        UpdateTable(false);
        return;
    }
    m_cellsLeft -= columns;
    m_table->appendRows(1);
    ++m_row;
    m_col = 0;
    m_cellPending = false;
    m_rowEnded = false;
    MoveToCell();
}

void Reader::MoveToCell() { m_cursor = m_table->cellAt(m_row, m_col).firstCursorPosition(); }

void Reader::EndParagraph() {
    Structure();
    FlushText();
    ApplyParagraph();
    m_pendingPara = true;
}

void Reader::ApplyParagraph() {
    const ParaState& p = Top().para;
    QTextBlockFormat bf;
    bf.setAlignment(p.align);
    bf.setTopMargin(std::max(0, p.sb) / 15.0);
    bf.setBottomMargin(std::max(0, p.sa) / 15.0);
    bf.setRightMargin(std::max(0, p.ri) / 15.0);
    if (p.list == ListKind::None) {
        bf.setLeftMargin(std::max(0, p.li) / 15.0);
        bf.setTextIndent(p.fi / 15.0);
    }
    if (!p.tabs.isEmpty())
        bf.setTabPositions(p.tabs);
    m_cursor.setBlockFormat(bf);

    const QTextBlock block = m_cursor.block();
    if (p.list != ListKind::None) {
        // The marker text that precedes the paragraph is drawn by the list instead.
        if (m_pnStart >= block.position() && m_pnEnd > m_pnStart) {
            QTextCursor c(&m_doc);
            c.setPosition(int(m_pnStart));
            c.setPosition(int(m_pnEnd), QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        if (m_list && m_listKind == p.list && m_listLevel == p.listLevel &&
            m_listLastBlock == block.blockNumber() - 1) {
            m_list->add(block);
        } else {
            QTextListFormat lf;
            switch (p.list) {
            case ListKind::Bullet: lf.setStyle(QTextListFormat::ListDisc); break;
            case ListKind::LowerAlpha: lf.setStyle(QTextListFormat::ListLowerAlpha); break;
            case ListKind::UpperAlpha: lf.setStyle(QTextListFormat::ListUpperAlpha); break;
            case ListKind::LowerRoman: lf.setStyle(QTextListFormat::ListLowerRoman); break;
            case ListKind::UpperRoman: lf.setStyle(QTextListFormat::ListUpperRoman); break;
            default: lf.setStyle(QTextListFormat::ListDecimal); break;
            }
            lf.setIndent(p.listLevel);
            m_list = m_cursor.createList(lf);
            m_listKind = p.list;
            m_listLevel = p.listLevel;
        }
        m_listLastBlock = block.blockNumber();
    } else {
        m_list = nullptr;
    }
    m_pnStart = m_pnEnd = -1;
}

void Reader::Cell() {
    Structure();
    FlushText();
    if (!m_table) {
        AppendChars(u"\t"); // a cell outside any table, or beyond the budget
        return;
    }
    ApplyParagraph();
    m_pendingPara = false;
    // The next cell is made when content reaches it: rich-edit ends every row with a \cell.
    ++m_col;
    m_cellPending = true;
}

void Reader::EnterCell() {
    m_cellPending = false;
    if (m_col >= m_table->columns()) {
        if (m_table->columns() < 63 && m_cellsLeft >= m_table->rows()) {
            m_cellsLeft -= m_table->rows();
            m_table->appendColumns(1);
        } else {
            m_col = m_table->columns() - 1; // further cells share the last one
        }
    }
    MoveToCell();
}

void Reader::Row() {
    FlushText();
    m_pendingPara = false;
    m_cellPending = false;
    if (!m_table) {
        EndParagraph();
        return;
    }
    if (m_cellx.size() == m_table->columns()) {
        QList<QTextLength> widths;
        int left = m_trleft;
        for (const int x : std::as_const(m_cellx)) {
            widths.append(QTextLength(QTextLength::FixedLength, std::clamp(x - left, 1, 1 << 16) / 15.0));
            left = x;
        }
        QTextTableFormat format = m_table->format();
        format.setColumnWidthConstraints(widths);
        m_table->setFormat(format);
    }
    m_rowEnded = true;
}

void Reader::InsertPicture() {
    if (m_pict.bytes.isEmpty() && m_pict.kind != RtfPicture::Wmf && m_pict.kind != RtfPicture::Emf)
        return;
    const QImage image = DecodeRtfPicture(m_pict, m_pixelsLeft);
    if (!image.isNull())
        m_pixelsLeft -= qint64(image.width()) * image.height();
    const QSizeF size = RtfPictureDisplaySize(m_pict, image.size());
    Group& g = Top();
    const Dest saved = g.dest;
    g.dest = Dest::Text; // the picture belongs to the text around its group
    BeginContent();
    g.dest = saved;
    FlushText();
    QTextImageFormat f;
    f.setWidth(size.width());
    f.setHeight(size.height());
    if (!image.isNull()) {
        const QString name = QStringLiteral("rtfpict:%1").arg(m_pictures++);
        m_doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        f.setName(name);
    } else {
        // Kept with its bytes as a placeholder of the right size for a later renderer.
        static const QImage placeholder = [] {
            QImage img(1, 1, QImage::Format_RGB32);
            img.fill(QColor(224, 224, 224));
            return img;
        }();
        const QString name = QStringLiteral("rtfpict:placeholder");
        if (m_doc.resource(QTextDocument::ImageResource, QUrl(name)).isNull())
            m_doc.addResource(QTextDocument::ImageResource, QUrl(name), placeholder);
        f.setName(name);
        f.setProperty(Rtf::PictureKindProperty, int(m_pict.kind));
        f.setProperty(Rtf::PictureDataProperty, m_pict.bytes);
    }
    m_cursor.insertImage(f);
    m_pict = RtfPicture{};
}

void Reader::Finish() {
    FlushText();
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        AppendChars(u"\uFFFD");
        FlushText();
    }
    // The paragraph mark that rich-edit writes after the last paragraph opens no new one.
    if (!m_pendingPara)
        ApplyParagraph();
}

} // namespace

namespace Rtf {

bool IsRtf(QByteArrayView data) {
    return data.size() >= 5 && QByteArrayView(data.first(5)).compare("{\\rtf", Qt::CaseInsensitive) == 0;
}

bool ReadRtf(QByteArrayView data, QTextDocument& doc) {
    doc.clear();
    if (!IsRtf(data))
        return false;
    // One edit block without undo: the cursor then keeps no layout up to date while the document
    // grows, which would otherwise lay out every paragraph after every insertion.
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    QTextCursor block(&doc);
    block.beginEditBlock();
    Reader reader(data, doc);
    reader.Run();
    block.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    return true;
}

} // namespace Rtf
