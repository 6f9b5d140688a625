// The control words of the text, grouped by what they set: the font and colour tables, a
// picture's header, the document, characters, paragraphs, tables and the old list numbering.
#include "RtfReaderState.h"

#include <algorithm>

namespace RtfDetail {

void Reader::OnFontTableWord(Kw kw, int p) {
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
}

void Reader::OnColorTableWord(Kw kw, int p) {
    if (kw != Kw::Red && kw != Kw::Green && kw != Kw::Blue)
        return;
    (kw == Kw::Red ? m_red : kw == Kw::Green ? m_green : m_blue) = std::clamp(p, 0, 255);
    m_colorSeen = true;
}

void Reader::OnPictWord(Kw kw, int p) {
    switch (kw) {
    case Kw::PngBlip:
        m_pict.kind = RtfPicture::Png;
        break;
    case Kw::JpegBlip:
        m_pict.kind = RtfPicture::Jpeg;
        break;
    case Kw::DiBitmap:
        m_pict.kind = RtfPicture::Dib;
        break;
    case Kw::WBitmap:
        m_pict.kind = RtfPicture::Wbitmap;
        break;
    case Kw::WMetafile:
        m_pict.kind = RtfPicture::Wmf;
        break;
    case Kw::EmfBlip:
        m_pict.kind = RtfPicture::Emf;
        break;
    case Kw::OtherBlip:
        m_pict.kind = RtfPicture::Unknown;
        break;
    case Kw::PicW:
        m_pict.picw = p;
        break;
    case Kw::PicH:
        m_pict.pich = p;
        break;
    case Kw::PicWGoal:
        m_pict.goalw = p;
        break;
    case Kw::PicHGoal:
        m_pict.goalh = p;
        break;
    case Kw::PicScaleX:
        m_pict.scalex = p;
        break;
    case Kw::PicScaleY:
        m_pict.scaley = p;
        break;
    case Kw::WbmBitsPixel:
        m_pict.bitsPixel = p;
        break;
    case Kw::WbmPlanes:
        m_pict.planes = p;
        break;
    case Kw::WbmWidthBytes:
        m_pict.widthBytes = p;
        break;
    default:
        break;
    }
}

bool Reader::OnDocumentWord(Kw kw, int p) {
    Group& g = Top();
    switch (kw) {
    case Kw::Ansi:
        m_documentCp = 1252;
        return true;
    case Kw::Mac:
        m_documentCp = 10000;
        return true;
    case Kw::Pc:
        m_documentCp = 437;
        return true;
    case Kw::Pca:
        m_documentCp = 850;
        return true;
    case Kw::AnsiCpg:
        if (p > 0)
            m_documentCp = p;
        m_cpFont = INT_MIN;
        return true;
    case Kw::Deff:
        m_deff = p;
        m_cpFont = INT_MIN;
        return true;
    case Kw::DefTab:
        if (p > 0)
            m_defaultTab = std::min(p, 1 << 16);
        return true;
    case Kw::Uc:
        g.uc = std::max(p, 0);
        return true;
    case Kw::U:
        OnUnicode(p);
        m_ucSkip = g.uc;
        return true;
    default:
        return false;
    }
}

bool Reader::OnCharacterWord(Kw kw, int p, bool on) {
    CharState& ch = Top().ch;
    switch (kw) {
    case Kw::F:
        ch.font = p;
        return true;
    case Kw::Plain: {
        const int link = ch.link;
        ch = CharState{};
        ch.link = link; // a field's result stays a link through \plain
        return true;
    }
    case Kw::Fs:
        ch.size = p > 0 ? std::min(p, 3276) : 0;
        return true;
    case Kw::B:
        ch.bold = on;
        return true;
    case Kw::I:
        ch.italic = on;
        return true;
    case Kw::Ul:
        ch.underline = on;
        return true;
    case Kw::UlNone:
        ch.underline = false;
        return true;
    case Kw::Strike:
        ch.strike = on;
        return true;
    case Kw::Super:
        ch.vertical = on ? 1 : 0;
        return true;
    case Kw::Sub:
        ch.vertical = on ? 2 : 0;
        return true;
    case Kw::NoSuperSub:
        ch.vertical = 0;
        return true;
    case Kw::Cf:
        ch.fg = p;
        return true;
    case Kw::Highlight:
    case Kw::Cb:
        ch.bg = p;
        return true;
    case Kw::V:
        ch.hidden = on;
        return true;
    case Kw::Caps:
        ch.caps = on ? 1 : 0;
        return true;
    case Kw::SmallCaps:
        ch.caps = on ? 2 : 0;
        return true;
    default:
        return false;
    }
}

bool Reader::OnParagraphWord(Kw kw, int p) {
    ParaState& para = Top().para;
    switch (kw) {
    case Kw::Pard:
        para = ParaState{};
        return true;
    case Kw::Ql:
        para.align = Qt::AlignLeft;
        return true;
    case Kw::Qc:
        para.align = Qt::AlignHCenter;
        return true;
    case Kw::Qr:
        para.align = Qt::AlignRight;
        return true;
    case Kw::Qj:
        para.align = Qt::AlignJustify;
        return true;
    case Kw::Li:
        para.li = p;
        return true;
    case Kw::Ri:
        para.ri = p;
        return true;
    case Kw::Fi:
        para.fi = p;
        return true;
    case Kw::Sb:
        para.sb = p;
        return true;
    case Kw::Sa:
        para.sa = p;
        return true;
    case Kw::Sl:
        para.sl = p;
        return true;
    case Kw::SlMult:
        para.slMultiple = p != 0;
        return true;
    case Kw::Tqr:
        para.nextTab = QTextOption::RightTab;
        return true;
    case Kw::Tqc:
        para.nextTab = QTextOption::CenterTab;
        return true;
    case Kw::Tqdec:
        para.nextTab = QTextOption::DelimiterTab;
        return true;
    case Kw::Tx:
        if (para.tabs.size() < 64) {
            QTextOption::Tab tab(std::clamp(p, 0, 1 << 20) / 15.0, para.nextTab);
            if (para.nextTab == QTextOption::DelimiterTab)
                tab.delimiter = QLatin1Char('.');
            para.tabs.append(tab);
        }
        para.nextTab = QTextOption::LeftTab;
        return true;
    case Kw::Intbl:
        para.intbl = true;
        return true;
    case Kw::Par:
        EndParagraph();
        return true;
    default:
        return false;
    }
}

bool Reader::OnTableWord(Kw kw, int p) {
    switch (kw) {
    case Kw::TrLeft:
        m_trleft = p;
        return true;
    case Kw::Trowd:
        m_cellx.clear();
        m_trleft = 0;
        return true;
    case Kw::Cellx:
        if (m_cellx.size() < 63)
            m_cellx.append(p);
        return true;
    case Kw::Cell:
        Cell();
        return true;
    case Kw::Row:
        Row();
        return true;
    default:
        return false;
    }
}

void Reader::OnPnWord(Kw kw, int p) {
    switch (kw) {
    case Kw::PnLvlBlt:
        m_pnList = ListKind::Bullet;
        break;
    case Kw::PnLvlBody:
        m_pnList = ListKind::Decimal;
        break;
    case Kw::PnLvlCont:
        m_pnList = ListKind::None;
        break;
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
    case Kw::PnStart:
        m_pnStartAt = std::clamp(p, 0, 32767);
        break;
    case Kw::PnF:
        m_pnFont = p;
        break;
    default:
        break;
    }
}

} // namespace RtfDetail
