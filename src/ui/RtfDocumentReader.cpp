#include "RtfDocumentReader.h"

#include "RtfReader.h"

#include "MetafilePlayer.h"
#include "PictureTextObject.h"
#include "model/TextCodec.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>

namespace RtfDetail {

void DocumentReader::AppendBytes(QByteArrayView bytes) {
    if (Top().ch.hidden)
        return;
    BeginContent();
    const int cp = CurrentCp();
    if (cp != m_bytesCp && !m_bytes.empty())
        DecodePending();
    m_bytesCp = cp;
    KeepTextBytes(bytes, m_bytes);
}

void DocumentReader::AppendChars(QStringView chars) {
    if (Top().ch.hidden)
        return;
    BeginContent();
    if (!m_bytes.empty())
        DecodePending();
    m_text.append(chars);
    CountVisible(chars);
}

// Everything that must happen before content lands: a lone high surrogate is given up, the
// paragraph or table row that the content opens is made, and a change of character format ends
// the current run.
void DocumentReader::BeginContent() {
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        if (!m_bytes.empty())
            DecodePending(); // the bytes before it come first
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

void DocumentReader::Structure() {
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

void DocumentReader::DecodePending() {
    const QByteArrayView bytes(m_bytes.data(), qsizetype(m_bytes.size()));
    if (m_bytesCp == 1251)
        TextCodec::AppendFromCp1251(m_text, bytes); // most text, decoded where the run grows
    else
        m_text += DecodeCodePage(bytes, m_bytesCp);
    m_bytes.clear();
}

void DocumentReader::FlushText() {
    if (!m_bytes.empty())
        DecodePending();
    if (m_text.isEmpty())
        return;
    m_cursor.insertText(m_text, m_format);
    m_text.resize(0); // keeps the buffer for the next run
}

QTextCharFormat DocumentReader::BuildCharFormat(const CharState& ch) {
    QTextCharFormat f;
    const int font = ch.font >= 0 ? ch.font : m_deff;
    const auto it = m_fonts.constFind(font);
    // The characters of a symbol font are read as Unicode, so fonts that have them draw them.
    if (it != m_fonts.cend() && IsSymbolCp(it->codePage))
        f.setFontFamilies(SymbolFonts::DisplayFamilies(it->family, EncodingOfCp(it->codePage)));
    else if (it != m_fonts.cend() && !it->family.isEmpty())
        f.setFontFamilies({it->family});
    if (ch.size > 0)
        f.setFontPointSize(ch.size / 2.0);
    if (ch.bold)
        f.setFontWeight(QFont::Bold);
    if (ch.italic)
        f.setFontItalic(true);
    if (ch.underline)
        f.setFontUnderline(true);
    if (ch.caps)
        f.setFontCapitalization(ch.caps == 1 ? QFont::AllUppercase : QFont::SmallCaps);
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

void DocumentReader::UpdateTable(bool wantTable) {
    FlushText();
    if (!wantTable) {
        // Leave the table: the block after it takes what follows.
        TrimTable();
        m_cursor = m_table->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
        m_table = nullptr;
        m_pendingPara = false;
        m_cellPending = false;
        return;
    }
    if (!m_table) {
        // A table costs as much as a few cells of its own.
        const int columns = std::max<int>(1, int(m_cellx.size()));
        if (m_cellsLeft < columns + 8) {
            m_tablesAllowed = false;
            return;
        }
        m_cellsLeft -= columns + 8;
        m_pendingPara = false; // the table itself starts on a line of its own
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
    if (m_row + 1 >= m_table->rows()) {
        // Every append re-indexes the whole table, so rows are added as many at a time as the table
        // has (the spare ones go when the table ends): one by one they would cost the square.
        const qint64 affordable = m_cellsLeft / columns;
        if (affordable < 1) {
            // Out of budget: the rest is read as plain paragraphs.
            m_tablesAllowed = false;
            UpdateTable(false);
            return;
        }
        const int add = int(std::min<qint64>(std::max(1, m_table->rows()), affordable));
        m_cellsLeft -= qint64(add) * columns;
        m_table->appendRows(add);
    }
    m_pendingPara = false;
    ++m_row;
    m_col = 0;
    m_cellPending = false;
    m_rowEnded = false;
    MoveToCell();
}

void DocumentReader::TrimTable() {
    const int spare = m_table->rows() - (m_row + 1);
    if (spare > 0) {
        m_table->removeRows(m_row + 1, spare);
        m_cellsLeft += qint64(spare) * m_table->columns();
    }
}

void DocumentReader::MoveToCell() {
    m_cursor = m_table->cellAt(m_row, m_col).firstCursorPosition();
}

void DocumentReader::BeginMarker() {
    Structure();
    FlushText();
    m_pnStart = m_cursor.position();
    m_pnEnd = -1;
}

void DocumentReader::EndMarker() {
    FlushText();
    m_pnEnd = m_cursor.position();
}

void DocumentReader::EndParagraph() {
    Structure();
    FlushText();
    ApplyParagraph();
    m_pendingPara = true;
}

void DocumentReader::ApplyParagraph() {
    const ParaState& p = Top().para;
    QTextBlockFormat bf;
    bf.setAlignment(p.align);
    bf.setTopMargin(std::max(0, p.sb) / 15.0);
    bf.setBottomMargin(std::max(0, p.sa) / 15.0);
    if (p.sl != 0) {
        // Multiples of a line come in 240ths; otherwise a positive value is at least, a negative one
        // exactly that many twips.
        if (p.slMultiple)
            bf.setLineHeight(std::clamp(p.sl, 24, 2400) * 100.0 / 240.0,
                             QTextBlockFormat::ProportionalHeight);
        else if (p.sl > 0)
            bf.setLineHeight(std::min(p.sl, 1 << 16) / 15.0, QTextBlockFormat::MinimumHeight);
        else
            bf.setLineHeight(std::min(-qint64(p.sl), qint64(1) << 16) / 15.0, QTextBlockFormat::FixedHeight);
    }
    bf.setRightMargin(std::max(0, p.ri) / 15.0);
    if (p.list == ListKind::None) {
        bf.setLeftMargin(std::max(0, p.li) / 15.0);
        bf.setTextIndent(p.fi / 15.0);
    }
    if (!p.tabs.isEmpty())
        bf.setTabPositions(p.tabs);
    m_cursor.setBlockFormat(bf);

    const QTextBlock block = m_cursor.block();
    // A list draws its markers when it can: numbers from 1 with the text written around them, or
    // the plain bullet. Anything else keeps the marker as the writer wrote it.
    const bool drawable =
        p.list != ListKind::None &&
        (p.list == ListKind::Bullet ? p.listBefore.isEmpty() || p.listBefore == QStringView(u"\u2022")
                                    : p.listStart == 1);
    const bool continues =
        m_list && m_listKind == p.list && m_listLevel == p.listLevel &&
        m_listLastBlock == block.blockNumber() - 1 &&
        m_list->format().numberPrefix() == (p.list == ListKind::Bullet ? QString() : p.listBefore) &&
        m_list->format().numberSuffix() == (p.list == ListKind::Bullet ? QString() : p.listAfter);
    // Beyond the budget of lists a list paragraph keeps its marker as text.
    if (drawable && (continues || m_listsLeft > 0)) {
        // The marker text that precedes the paragraph is drawn by the list instead.
        if (m_pnStart >= block.position() && m_pnEnd > m_pnStart) {
            QTextCursor c(&m_doc);
            c.setPosition(int(m_pnStart));
            c.setPosition(int(m_pnEnd), QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        if (continues) {
            m_list->add(block);
        } else {
            --m_listsLeft;
            QTextListFormat lf;
            switch (p.list) {
            case ListKind::Bullet:
                lf.setStyle(QTextListFormat::ListDisc);
                break;
            case ListKind::LowerAlpha:
                lf.setStyle(QTextListFormat::ListLowerAlpha);
                break;
            case ListKind::UpperAlpha:
                lf.setStyle(QTextListFormat::ListUpperAlpha);
                break;
            case ListKind::LowerRoman:
                lf.setStyle(QTextListFormat::ListLowerRoman);
                break;
            case ListKind::UpperRoman:
                lf.setStyle(QTextListFormat::ListUpperRoman);
                break;
            default:
                lf.setStyle(QTextListFormat::ListDecimal);
                break;
            }
            if (p.list != ListKind::Bullet) {
                // What \pntxtb and \pntxta say, nothing else: "1)" stays "1)".
                lf.setNumberPrefix(p.listBefore);
                lf.setNumberSuffix(p.listAfter);
            }
            lf.setIndent(p.listLevel);
            m_list = m_cursor.createList(lf);
            m_listKind = p.list;
            m_listLevel = p.listLevel;
        }
        m_listLastBlock = block.blockNumber();
    } else {
        if (p.list != ListKind::None)
            KeepMarkerText(p, block);
        m_list = nullptr;
    }
    m_pnStart = m_pnEnd = -1;
}

// The marker stays text at the start of the paragraph, with a tab stop where the text of a hanging
// indent begins. Without a \pntext it is made from the list words.
void DocumentReader::KeepMarkerText(const ParaState& p, const QTextBlock& block) {
    const bool written = m_pnStart >= block.position() && m_pnEnd > m_pnStart;
    const bool follows = m_listLastBlock == block.blockNumber() - 1 && m_markerNumber > 0;
    m_markerNumber = follows ? m_markerNumber + 1 : p.listStart;
    m_listLastBlock = block.blockNumber();
    QTextCursor c(&m_doc);
    if (written) {
        c.setPosition(int(m_pnStart));
        c.setPosition(int(m_pnEnd), QTextCursor::KeepAnchor);
    } else {
        QString marker = p.listBefore;
        if (p.list != ListKind::Bullet) {
            const int n = m_markerNumber;
            switch (p.list) {
            case ListKind::LowerAlpha:
            case ListKind::UpperAlpha: {
                QString letters;
                for (int k = std::max(n, 1); k > 0; k = (k - 1) / 26)
                    letters.prepend(
                        QChar(char16_t((p.list == ListKind::LowerAlpha ? 'a' : 'A') + (k - 1) % 26)));
                marker += letters;
                break;
            }
            case ListKind::LowerRoman:
            case ListKind::UpperRoman: {
                static const std::pair<int, const char*> numerals[] = {
                    {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
                    {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
                QString roman;
                int k = std::clamp(n, 1, 3999);
                for (const auto& [value, text] : numerals)
                    for (; k >= value; k -= value)
                        roman += QLatin1String(text);
                marker += p.list == ListKind::UpperRoman ? roman.toUpper() : roman;
                break;
            }
            default:
                marker += QString::number(n);
                break;
            }
            marker += p.listAfter;
        }
        marker += QLatin1Char('\t');
        c.setPosition(block.position());
        c.insertText(marker, m_format);
        c.setPosition(block.position());
        c.setPosition(block.position() + int(marker.size()), QTextCursor::KeepAnchor);
    }
    QTextCharFormat mark;
    mark.setProperty(Rtf::ListMarkerProperty, true);
    c.mergeCharFormat(mark);
    QTextBlockFormat bf = block.blockFormat();
    bf.setLeftMargin(std::max(0, p.li) / 15.0);
    bf.setTextIndent(p.fi / 15.0);
    if (p.fi < 0 && p.li > 0) {
        // Tab stops count from where the first line starts, the hanging indent's.
        QList<QTextOption::Tab> tabs = bf.tabPositions();
        tabs.prepend(QTextOption::Tab(std::min(-p.fi, 1 << 20) / 15.0, QTextOption::LeftTab));
        bf.setTabPositions(tabs);
    }
    QTextCursor b(block);
    b.setBlockFormat(bf);
}

void DocumentReader::Cell() {
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

void DocumentReader::EnterCell() {
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

void DocumentReader::Row() {
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

void DocumentReader::InsertPicture() {
    const bool metafile = m_pict.kind == RtfPicture::Wmf || m_pict.kind == RtfPicture::Emf;
    if (m_pict.bytes.isEmpty() && !metafile)
        return;
    QImage image;
    Mf::MetafilePtr vector;
    if (metafile && m_pixelsLeft > 0) {
        Mf::Limits limits;
        limits.maxPixels = std::min(limits.maxPixels, m_pixelsLeft);
        vector = Mf::Parse(m_pict.bytes, limits);
    } else if (!metafile) {
        image = DecodeRtfPicture(m_pict, m_pixelsLeft);
    }
    const QSizeF size = RtfPictureDisplaySize(
        m_pict, vector ? vector->naturalSize.toSize().expandedTo(QSize(1, 1)) : image.size());
    // A bitmap of the picture as laid out, for whatever draws the document without vectors. Text
    // needs fonts, which a program without a GUI application (one that only reads the text) lacks.
    const bool canDraw = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (vector && canDraw) {
        const QSize pixels = size.toSize().expandedTo(QSize(1, 1));
        if (qint64(pixels.width()) * pixels.height() <= m_pixelsLeft)
            image = Mf::Render(*vector, pixels);
        if (image.isNull())
            vector.reset();
    }
    if (!image.isNull())
        m_pixelsLeft -= qint64(image.width()) * image.height();
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
        // Kept with its bytes as a placeholder of the right size.
        static const QImage placeholder = [] {
            QImage img(1, 1, QImage::Format_RGB32);
            img.fill(QColor(224, 224, 224));
            return img;
        }();
        const QString name = QStringLiteral("rtfpict:placeholder");
        if (m_doc.resource(QTextDocument::ImageResource, QUrl(name)).isNull())
            m_doc.addResource(QTextDocument::ImageResource, QUrl(name), placeholder);
        f.setName(name);
    }
    if (metafile || image.isNull()) {
        // The picture's own bytes go back out when the text is written again.
        f.setProperty(Rtf::PictureKindProperty, int(m_pict.kind));
        f.setProperty(Rtf::PictureDataProperty, m_pict.bytes);
    }
    if (vector) {
        PictureText::SetVector(f, vector);
        m_vectorPictures = true;
    }
    m_cursor.insertImage(f);
    m_pict = RtfPicture{};
}

void DocumentReader::Finish() {
    if (m_highSurrogate)
        AppendChars(QStringView()); // gives up the lone high surrogate
    FlushText();
    if (m_table)
        TrimTable();
    // Setting the option lays a control's document out again at once, even when it is the same.
    QTextOption option = m_doc.defaultTextOption();
    if (option.tabStopDistance() != m_defaultTab / 15.0) {
        option.setTabStopDistance(m_defaultTab / 15.0);
        m_doc.setDefaultTextOption(option);
    }
    // The paragraph mark that rich-edit writes after the last paragraph opens no new one.
    if (!m_pendingPara)
        ApplyParagraph();
    if (m_vectorPictures)
        PictureText::Install(m_doc);
}

} // namespace RtfDetail

namespace Rtf {

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
    RtfDetail::DocumentReader reader(data, doc);
    reader.Run();
    block.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    return true;
}

} // namespace Rtf
