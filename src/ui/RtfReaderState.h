#pragma once
// The RTF reader's inner parts, shared by its parsing half (RtfReader.cpp, RtfReaderWords.cpp) and
// its builders (RtfDocumentReader.cpp, RtfPlainReader.cpp).
#include "RtfKeywords.h"
#include "RtfPicture.h"
#include "RtfTokenizer.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextOption>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace RtfDetail {

enum class Dest : quint8 { Text, Skip, FontTable, ColorTable, Pict, Pn, PnTxt, FieldInst, Object };

enum class ListKind : quint8 { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct CharState {
    int font = -1; // -1: the default font (\deff)
    int size = 0;  // half-points; 0: the control's size
    int fg = 0, bg = 0;
    int link = -1;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    quint8 vertical = 0; // 1 superscript, 2 subscript
    quint8 caps = 0;     // 1 all capitals, 2 small capitals
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0; // twips
    int sl = 0; // line spacing: twips, or 240ths of a line with slMultiple; 0 single
    bool slMultiple = false;
    bool intbl = false;
    ListKind list = ListKind::None;
    int listLevel = 1;
    int listStart = 1;
    QString listBefore, listAfter; // the text around the number, or a bullet's character
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
    int codePage = 0; // CpSymbol and its kin for symbol fonts
};

// The parsing half of the reader: tokens, group states, destinations, the font and colour tables,
// code pages and \uN with \ucN. What the text becomes is the builder's half, in a subclass: a
// document (DocumentReader) or only its plain text (PlainReader).
class Reader {
public:
    explicit Reader(QByteArrayView data) : m_tokens(data) {}
    virtual ~Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    void Run();

protected:
    // The builder's half.
    virtual void AppendBytes(QByteArrayView bytes) = 0;
    virtual void AppendChars(QStringView chars) = 0;
    virtual void EndParagraph() = 0;
    virtual void Cell() = 0;
    virtual void Row() = 0;
    // The text of a list marker (\pntext) begins and ends.
    virtual void BeginMarker() = 0;
    virtual void EndMarker() = 0;
    // The picture of a closing \pict group, in m_pict.
    virtual void InsertPicture() = 0;
    // The font or colour table changed.
    virtual void TablesChanged() {}
    virtual void Finish() = 0;

    Group& Top() { return m_stack.back(); }
    int CurrentCp();

    // Both builders keep a run's text bytes until the run ends and decode them together: the bytes
    // join `pending` (NULs dropped, visible ones counted), and the next text bytes go there directly.
    void KeepTextBytes(QByteArrayView bytes, std::string& pending) {
        for (const char c : bytes) {
            if (c != '\0')
                pending.push_back(c);
            if (static_cast<unsigned char>(c) > ' ')
                ++m_appended;
        }
        m_textBytes = &pending;
    }
    void CountVisible(QStringView chars) {
        for (const QChar c : chars)
            m_appended += c.unicode() > ' ';
    }

    std::vector<Group> m_stack;
    bool m_done = false;
    // Document tables.
    int m_documentCp = 1251;
    int m_deff = -1;
    QHash<int, FontEntry> m_fonts;
    QList<QColor> m_colors;
    int m_defaultTab = 720; // twips
    QStringList m_links;
    // The row being defined: its left edge and its cells' right edges, in twips.
    QList<int> m_cellx;
    int m_trleft = 0;
    // Characters other than blanks appended so far (a field's result shows something when it grew).
    qint64 m_appended = 0;
    // A \uN high surrogate waiting for its low half.
    char16_t m_highSurrogate = 0;
    // The character state may have changed since content last landed.
    bool m_charDirty = true;
    // A \shppict group closed and no content came since: a \nonshppict now is the same picture.
    bool m_afterShpPict = false;
    // The picture being read. A builder that only needs to know whether it has any bytes clears
    // m_keepPictureBytes, and the hex digits after the first byte are not decoded.
    RtfPicture m_pict;
    bool m_keepPictureBytes = true;
    // Where the bytes of text go while nothing but text comes: a builder that has taken a byte of
    // text (and made what it opens) points this at where the next ones go, and the bytes of the
    // text tokens that follow are appended there without calling it, until any other token.
    // Bytes 0, CR and LF always go through AppendBytes.
    std::string* m_textBytes = nullptr;

private:
    void Push();
    void Pop();
    void OnWord(QByteArrayView name, bool hasParam, int param);
    // The words of each destination; in the text, each family of words (true when it took the word).
    void OnFontTableWord(Kw kw, int p);
    void OnColorTableWord(Kw kw, int p);
    void OnPictWord(Kw kw, int p);
    bool OnDocumentWord(Kw kw, int p);
    bool OnCharacterWord(Kw kw, int p, bool on);
    bool OnParagraphWord(Kw kw, int p);
    bool OnTableWord(Kw kw, int p);
    void OnDestination(Kw kw);
    void OnSymbol(char c);
    void OnText(QByteArrayView bytes);
    void OnByte(unsigned char b);
    void OnUnicode(int value);
    void OnPnWord(Kw kw, int p);
    void OnFieldInstClosed();
    void OnFieldClosed();
    void CommitFont();

    RtfTokenizer m_tokens;
    int m_overflow = 0; // groups opened beyond MaxDepth, flattened into the deepest one
    int m_ucSkip = 0;
    int m_cpFont = INT_MIN; // the font whose code page m_cpValue is
    int m_cpValue = 0;

    // The font and colour table entries being read.
    int m_fontNumber = -1;
    int m_fontCharset = -1;
    int m_fontCpg = 0;
    QByteArray m_fontName;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSeen = false;

    // Fields: the instruction being read; a SYMBOL field's character, shown when its result shows
    // nothing, and the count of appended characters when the result began, to tell.
    QByteArray m_fieldInst;
    QString m_fieldSymbol;
    qint64 m_fieldResultMark = -1;

    // The list words of \pn.
    ListKind m_pnList = ListKind::None;
    int m_pnLevel = 1;
    int m_pnStartAt = 1;
    int m_pnFont = -1;
    QByteArray m_pnBefore, m_pnAfter;
    bool m_pnTextAfter = false; // which of the two the \pntxt group being read is

    int m_nibble = -1; // the high half of a picture byte
};

} // namespace RtfDetail
