#include "RtfReader.h"

#include "RtfReaderState.h"
#include "model/TextCodec.h"

#include <algorithm>

namespace RtfDetail {

namespace {
int HexDigit(unsigned char b) {
    if (b >= '0' && b <= '9')
        return b - '0';
    if (b >= 'a' && b <= 'f')
        return b - 'a' + 10;
    if (b >= 'A' && b <= 'F')
        return b - 'A' + 10;
    return -1;
}
} // namespace

int Reader::CurrentCp() {
    const int font = Top().ch.font >= 0 ? Top().ch.font : m_deff;
    if (font != m_cpFont) {
        m_cpFont = font;
        const auto it = m_fonts.constFind(font);
        m_cpValue = it != m_fonts.cend() && it->codePage > 0 ? it->codePage : m_documentCp;
    }
    return m_cpValue;
}

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
        if (m_textBytes) {
            if (t.kind == RtfToken::Hex) {
                const auto b = static_cast<unsigned char>(t.value);
                if (b != 0 && b != '\r' && b != '\n') {
                    m_textBytes->push_back(char(b));
                    m_appended += b > ' ';
                    continue;
                }
            } else if (t.kind == RtfToken::Text && !t.text.contains('\0')) {
                m_textBytes->append(t.text.data(), size_t(t.text.size()));
                for (const char c : t.text)
                    m_appended += static_cast<unsigned char>(c) > ' ';
                continue;
            } else if (t.kind != RtfToken::Text) {
                m_textBytes = nullptr;
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
            if (Top().dest != Dest::Pict) // picture data is written in plain hex digits only
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
        EndMarker();
        break;
    case Kw::Pn: {
        // The list words of \pn describe the paragraph around it; the text around the number is in
        // the marker's own font (a bullet in Symbol).
        parent.para.list = m_pnList;
        parent.para.listLevel = m_pnLevel;
        parent.para.listStart = m_pnStartAt;
        const auto font = m_fonts.constFind(m_pnFont >= 0         ? m_pnFont
                                            : closed.ch.font >= 0 ? closed.ch.font
                                                                  : m_deff);
        const int cp = font != m_fonts.cend() && font->codePage > 0 ? font->codePage : m_documentCp;
        parent.para.listBefore = DecodeCodePage(m_pnBefore, cp);
        parent.para.listAfter = DecodeCodePage(m_pnAfter, cp);
        break;
    }
    case Kw::Field:
        OnFieldClosed();
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
        } else if (inst.startsWith(QLatin1String("SYMBOL"), Qt::CaseInsensitive)) {
            OnFieldInstClosed();
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
        BeginMarker();
        break;
    case Kw::Pn:
        g.dest = Dest::Pn;
        m_pnList = ListKind::None;
        m_pnLevel = 1;
        m_pnStartAt = 1;
        m_pnFont = -1;
        m_pnBefore.clear();
        m_pnAfter.clear();
        break;
    case Kw::PnTxtB:
    case Kw::PnTxtA:
        g.dest = Dest::PnTxt;
        m_pnTextAfter = kw == Kw::PnTxtA;
        (m_pnTextAfter ? m_pnAfter : m_pnBefore).clear();
        break;
    case Kw::FldInst:
        g.dest = Dest::FieldInst;
        m_fieldInst.clear();
        break;
    case Kw::FldRslt:
        m_fieldResultMark = m_appended;
        break;
    case Kw::Field:
        m_fieldSymbol.clear();
        m_fieldResultMark = -1;
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
    const Kw* found = FindKeyword(name);
    if (!found) {
        if (g.starred && fresh)
            g.dest = Dest::Skip; // an unknown destination that readers may ignore
        return;
    }
    const Kw kw = *found;
    if (g.dest == Dest::Skip)
        return;
    const int p = hasParam ? param : 0;
    const bool on = !hasParam || param != 0;
    switch (kw) {
    case Kw::Skip:
    case Kw::PnTxtB:
    case Kw::PnTxtA:
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
        OnFontTableWord(kw, p);
        return;
    case Dest::ColorTable:
        OnColorTableWord(kw, p);
        return;
    case Dest::Pict:
        OnPictWord(kw, p);
        return;
    case Dest::Pn:
        OnPnWord(kw, p);
        return;
    case Dest::Skip:
    case Dest::PnTxt:
    case Dest::FieldInst:
    case Dest::Object:
        return;
    case Dest::Text:
        break;
    }
    m_charDirty = true;
    if (const std::optional<QStringView> special = SpecialCharacter(kw)) {
        AppendChars(*special);
        return;
    }
    // Each family takes the words it knows; a word none knows is ignored.
    (void)(OnDocumentWord(kw, p) || OnCharacterWord(kw, p, on) || OnParagraphWord(kw, p) ||
           OnTableWord(kw, p));
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
    if (g.dest == Dest::Pict) {
        if (!m_keepPictureBytes && !m_pict.bytes.isEmpty())
            return; // only whether the picture has bytes counts
        if (m_keepPictureBytes) {
            // Pictures are long runs of hex digits: decode them in one go.
            QByteArray& out = m_pict.bytes;
            out.reserve(out.size() + bytes.size() / 2 + 1);
            for (const char c : bytes) {
                const int v = HexDigit(static_cast<unsigned char>(c));
                if (v < 0)
                    continue;
                if (m_nibble < 0) {
                    m_nibble = v;
                } else {
                    out.append(char(m_nibble * 16 + v));
                    m_nibble = -1;
                }
            }
            return;
        }
    }
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
            TablesChanged();
            m_charDirty = true;
            m_red = m_green = m_blue = 0;
            m_colorSeen = false;
        }
        return;
    case Dest::Pict: {
        const int v = HexDigit(b);
        if (v < 0 || (!m_keepPictureBytes && !m_pict.bytes.isEmpty()))
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
    case Dest::PnTxt: {
        QByteArray& text = m_pnTextAfter ? m_pnAfter : m_pnBefore;
        if (text.size() < 32)
            text.append(char(b));
        return;
    }
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
    // Characters of a symbol font written as U+F000 + code.
    if (v >= 0xF020 && v <= 0xF0FF && IsSymbolCp(CurrentCp()))
        v = int(SymbolFonts::MapCode(char32_t(v), EncodingOfCp(CurrentCp())));
    const auto c = char16_t(v);
    if (QChar::isHighSurrogate(c)) {
        if (m_highSurrogate)
            AppendChars(QStringView()); // gives up the one before
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

// SYMBOL code [\f "font"] [\u] [\a] [\h] [\s size]: one character, by its code in the named font
// (Symbol when a symbol font is named) or by its Unicode value with \u.
void Reader::OnFieldInstClosed() {
    const QString inst = TextCodec::FromCp1251(m_fieldInst).trimmed().mid(6).trimmed();
    const QStringList words = inst.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    bool ok = false;
    const QString number = words[0];
    const uint code = number.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                          ? number.mid(2).toUInt(&ok, 16)
                          : number.toUInt(&ok, 10);
    if (!ok || code == 0 || code > 0xFFFF)
        return;
    QString font;
    bool unicode = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString w = words[i].toLower();
        if (w == QLatin1String("\\f") && i + 1 < words.size()) {
            font = words[++i];
            // A quoted name may hold blanks.
            while (font.startsWith(QLatin1Char('"')) && !font.endsWith(QLatin1Char('"')) &&
                   i + 1 < words.size())
                font += QLatin1Char(' ') + words[++i];
            font.remove(QLatin1Char('"'));
        } else if (w == QLatin1String("\\u")) {
            unicode = true;
        }
    }
    char32_t c = code;
    if (!unicode) {
        const SymbolFonts::Encoding enc = SymbolFonts::EncodingOf(font, font.isEmpty() ? 1 : 2);
        if (enc != SymbolFonts::Encoding::None) {
            c = SymbolFonts::MapCode(code, enc);
        } else if (code < 256) {
            const char byte = char(code);
            const QString decoded = DecodeCodePage(QByteArrayView(&byte, 1), CurrentCp());
            c = decoded.isEmpty() ? code : decoded[0].unicode();
        }
    }
    m_fieldSymbol = QString::fromUcs4(&c, 1);
}

void Reader::OnFieldClosed() {
    // The result shows the character when it has one; a field without a result shows it here.
    if (!m_fieldSymbol.isEmpty() && (m_fieldResultMark < 0 || m_appended == m_fieldResultMark))
        AppendChars(m_fieldSymbol);
    m_fieldSymbol.clear();
    m_fieldResultMark = -1;
}

void Reader::CommitFont() {
    if (m_fontNumber >= 0 && m_fonts.size() < 1024) {
        FontEntry e;
        const int charsetCp = m_fontCpg > 0        ? m_fontCpg
                              : m_fontCharset >= 0 ? CodePageOfCharset(m_fontCharset, 0)
                                                   : 0;
        const int nameCp = charsetCp > 0 ? charsetCp : m_documentCp;
        e.family = DecodeCodePage(m_fontName, nameCp == 1251 ? 1251 : 1252).trimmed();
        // "Times New Roman CYR" and the like name the Cyrillic half of a font of old systems.
        if (e.family.endsWith(QLatin1String(" CYR"), Qt::CaseInsensitive))
            e.family.chop(4);
        // 0 means "the document's code page", looked up when text needs it.
        e.codePage = CodePageOfFont(e.family, m_fontCharset, m_fontCpg);
        m_fonts.insert(m_fontNumber, e);
        TablesChanged();
        m_charDirty = true;
    }
    m_fontName.clear();
    m_cpFont = INT_MIN;
}

} // namespace RtfDetail

namespace Rtf {

bool IsRtf(QByteArrayView data) {
    return data.size() >= 5 && QByteArrayView(data.first(5)).compare("{\\rtf", Qt::CaseInsensitive) == 0;
}

} // namespace Rtf
