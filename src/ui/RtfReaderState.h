#pragma once
// The RTF reader's inner parts, shared by its parsing half (RtfReader.cpp) and its document
// builder (RtfBuilder.cpp).
#include "RtfKeywords.h"
#include "RtfPicture.h"
#include "RtfTokenizer.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextOption>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

class QTextDocument;
class QTextList;
class QTextTable;
class QTextBlock;

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

class Reader {
public:
    Reader(QByteArrayView data, QTextDocument& doc)
        : m_tokens(data), m_doc(doc), m_cursor(&doc), m_listsLeft(64 + data.size() / 128),
          m_cellsLeft(256 + data.size() / 16),
          m_pixelsLeft(std::max<qint64>(qint64(4) << 20, data.size() * 4)) {}

    void Run();

private:
    Group& Top() { return m_stack.back(); }
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
    void OnFieldInstClosed(Group& field);
    void OnFieldClosed();
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
    void TrimTable();
    void EnterCell();
    void EndParagraph();
    void ApplyParagraph();
    void KeepMarkerText(const ParaState& p, const QTextBlock& block);
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
    int m_defaultTab = 720; // twips
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSeen = false;
    QStringList m_links;
    QByteArray m_fieldInst;
    // A SYMBOL field's character, shown when its result shows nothing; the characters other than
    // blanks appended so far, to tell.
    QString m_fieldSymbol;
    qint64 m_fieldResultMark = -1;
    qint64 m_appended = 0;

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
    qint64 m_listsLeft; // lists that may still be made
    ListKind m_pnList = ListKind::None;
    int m_pnLevel = 1;
    int m_pnStartAt = 1;
    int m_pnFont = -1;
    QByteArray m_pnBefore, m_pnAfter;
    bool m_pnTextAfter = false; // which of the two the \pntxt group being read is
    int m_markerNumber = 0;     // the number of a list paragraph whose marker stays text
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
    bool m_vectorPictures = false;
    // Decoded pictures may take this many pixels in all: a few megapixels, more for a fragment that
    // brings more picture data, so the document stays a bounded multiple of its input.
    qint64 m_pixelsLeft;
};

} // namespace RtfDetail
