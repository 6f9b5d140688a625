// Every step here mirrors the one of the same name in RtfDocumentReader.cpp, reduced to what it
// does to the text: a change there that moves text between blocks, cells or rows must be made here
// too (the plain-text tests read every fragment both ways).
#include "RtfPlainReader.h"

#include "RtfReader.h"
#include "model/TextCodec.h"

namespace RtfDetail {

namespace {
// Characters that make a document's cursor start a new block in the middle of inserted text.
bool BreaksBlock(char16_t u) {
    return u == u'\r' || u == u'\n' || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
}
} // namespace

void PlainReader::AppendBytes(QByteArrayView bytes) {
    if (Top().ch.hidden)
        return;
    BeginContent();
    const int cp = CurrentCp();
    if (cp == 1251) {
        // One byte is one character: no need to wait for the rest of the run.
        if (!m_bytes.empty())
            DecodePending();
        // One byte is one character, and code page 1251 is what comes out.
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b == 0)
                continue;
            if (b == '\r' || b == '\n') {
                GiveUp();
                return;
            }
            m_block.push_back(c);
            m_appended += b > ' ';
        }
        m_textBytes = &m_block;
        return;
    }
    if (cp != m_bytesCp && !m_bytes.empty())
        DecodePending();
    m_bytesCp = cp;
    KeepTextBytes(bytes, m_bytes);
}

void PlainReader::AppendChars(QStringView chars) {
    if (Top().ch.hidden)
        return;
    BeginContent();
    if (!m_bytes.empty())
        DecodePending();
    Put(chars);
    CountVisible(chars);
}

void PlainReader::Put(QStringView chars) {
    for (const QChar c : chars) {
        const char16_t u = c.unicode();
        if (BreaksBlock(u)) {
            GiveUp();
            return;
        }
        if (u == QChar::LineSeparator)
            m_block.append("\r\n");
        else if (u != QChar::ObjectReplacementCharacter)
            m_block.push_back(TextCodec::ToCp1251BestFit(u));
    }
}

void PlainReader::DecodePending() {
    Put(DecodeCodePage(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())), m_bytesCp));
    m_bytes.clear();
}

void PlainReader::BeginContent() {
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        if (!m_bytes.empty())
            DecodePending();
        m_block.push_back('?'); // U+FFFD
    }
    m_afterShpPict = false;
    Structure();
}

void PlainReader::Structure() {
    const bool wantTable = Top().para.intbl && m_tablesAllowed;
    if (wantTable != m_inTable || (m_inTable && m_rowEnded))
        UpdateTable(wantTable);
    if (m_cellPending && m_inTable) {
        if (!m_bytes.empty())
            DecodePending();
        EnterCell();
    }
    if (m_pendingPara) {
        if (!m_bytes.empty())
            DecodePending();
        NewBlock();
        m_pendingPara = false;
    }
}

// The cursor's block ends at the cursor and a new one begins.
void PlainReader::NewBlock() {
    if (m_inTable) {
        std::string& cell = m_cells[size_t(m_cursorRow)][size_t(m_cursorCol)];
        cell += m_block;
        cell += "\r\n";
    } else {
        EmitItem(m_block);
    }
    m_block.clear();
    ++m_blockNumber;
}

// The cursor leaves its block (for a cell, or the block after a table).
void PlainReader::LeaveBlock() {
    if (m_inTable)
        m_cells[size_t(m_cursorRow)][size_t(m_cursorCol)] += m_block;
    else
        EmitItem(m_block);
    m_block.clear();
    ++m_blockNumber;
}

void PlainReader::EmitItem(std::string_view text) {
    if (!m_firstItem)
        m_out += "\r\n";
    m_firstItem = false;
    m_out += text;
}

void PlainReader::UpdateTable(bool wantTable) {
    if (!m_bytes.empty())
        DecodePending();
    if (!wantTable) {
        TrimTable();
        EndTable();
        m_pendingPara = false;
        m_cellPending = false;
        return;
    }
    if (!m_inTable) {
        const int columns = std::max<int>(1, int(m_cellx.size()));
        if (m_cellsLeft < columns + 8) {
            m_tablesAllowed = false;
            return;
        }
        m_cellsLeft -= columns + 8;
        m_pendingPara = false;
        // The block the cursor is in stays before the table.
        LeaveBlock();
        m_inTable = true;
        m_columns = columns;
        m_cells.assign(1, std::vector<std::string>(size_t(columns)));
        m_row = 0;
        m_col = 0;
        m_cellPending = false;
        m_rowEnded = false;
        m_cursorRow = 0;
        m_cursorCol = 0;
        return;
    }
    const int rows = int(m_cells.size());
    if (m_row + 1 >= rows) {
        const qint64 affordable = m_cellsLeft / m_columns;
        if (affordable < 1) {
            m_tablesAllowed = false;
            UpdateTable(false);
            return;
        }
        const int add = int(std::min<qint64>(std::max(1, rows), affordable));
        m_cellsLeft -= qint64(add) * m_columns;
        m_cells.resize(m_cells.size() + size_t(add), std::vector<std::string>(size_t(m_columns)));
    }
    m_pendingPara = false;
    ++m_row;
    m_col = 0;
    m_cellPending = false;
    m_rowEnded = false;
    MoveToCell();
}

void PlainReader::MoveToCell() {
    LeaveBlock();
    m_cursorRow = m_row;
    m_cursorCol = m_col;
}

void PlainReader::TrimTable() {
    const int spare = int(m_cells.size()) - (m_row + 1);
    if (spare > 0) {
        m_cells.resize(size_t(m_row + 1));
        m_cellsLeft += qint64(spare) * m_columns;
    }
}

// The table's rows go out as items; the cursor moves to the block after the table.
void PlainReader::EndTable() {
    LeaveBlock();
    for (const std::vector<std::string>& row : m_cells) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += '\t';
            line += row[c];
        }
        EmitItem(line);
    }
    m_cells.clear();
    m_inTable = false;
}

void PlainReader::EnterCell() {
    m_cellPending = false;
    if (m_col >= m_columns) {
        const qint64 rows = qint64(m_cells.size());
        if (m_columns < 63 && m_cellsLeft >= rows) {
            m_cellsLeft -= rows;
            for (std::vector<std::string>& row : m_cells)
                row.emplace_back();
            ++m_columns;
        } else {
            GiveUp(); // the document writes further cells into the start of the last one
            return;
        }
    }
    MoveToCell();
}

void PlainReader::BeginMarker() {
    Structure();
    if (!m_bytes.empty())
        DecodePending();
    m_pnBlock = m_blockNumber;
    m_pnStart = qsizetype(m_block.size());
    m_pnEndBlock = -1;
    m_pnEnd = -1;
}

void PlainReader::EndMarker() {
    if (!m_bytes.empty())
        DecodePending();
    m_pnEndBlock = m_blockNumber;
    m_pnEnd = qsizetype(m_block.size());
}

void PlainReader::EndParagraph() {
    Structure();
    if (!m_bytes.empty())
        DecodePending();
    ApplyParagraph();
    m_pendingPara = true;
}

// A list paragraph's marker text, written in its own block, is left out whether the document
// draws the list or keeps the marker as marked text.
void PlainReader::ApplyParagraph() {
    const ParaState& p = Top().para;
    if (p.list != ListKind::None) {
        // A marker the document makes from the list words goes in as text, and would break its
        // block at such a character.
        for (const QString* around : {&p.listBefore, &p.listAfter})
            for (const QChar c : *around)
                if (BreaksBlock(c.unicode()))
                    GiveUp();
        if (m_pnBlock == m_blockNumber && m_pnEndBlock == m_blockNumber && m_pnEnd > m_pnStart)
            m_block.erase(size_t(m_pnStart), size_t(m_pnEnd - m_pnStart));
    }
    m_pnBlock = m_pnEndBlock = -1;
    m_pnStart = m_pnEnd = -1;
}

void PlainReader::Cell() {
    Structure();
    if (!m_bytes.empty())
        DecodePending();
    if (!m_inTable) {
        AppendChars(u"\t");
        return;
    }
    ApplyParagraph();
    m_pendingPara = false;
    ++m_col;
    m_cellPending = true;
}

void PlainReader::Row() {
    if (!m_bytes.empty())
        DecodePending();
    m_pendingPara = false;
    m_cellPending = false;
    if (!m_inTable) {
        EndParagraph();
        return;
    }
    m_rowEnded = true;
}

void PlainReader::InsertPicture() {
    const bool metafile = m_pict.kind == RtfPicture::Wmf || m_pict.kind == RtfPicture::Emf;
    if (m_pict.bytes.isEmpty() && !metafile)
        return;
    Group& g = Top();
    const Dest saved = g.dest;
    g.dest = Dest::Text;
    BeginContent();
    g.dest = saved;
    if (!m_bytes.empty())
        DecodePending();
    m_pict = RtfPicture{}; // a picture has no text
}

void PlainReader::Finish() {
    if (m_highSurrogate)
        AppendChars(QStringView());
    if (!m_bytes.empty())
        DecodePending();
    if (m_inTable)
        TrimTable();
    if (!m_pendingPara)
        ApplyParagraph();
    if (m_inTable)
        EndTable(); // and the document's block after it, empty
    LeaveBlock();
}

} // namespace RtfDetail

namespace Rtf {

std::optional<QByteArray> ReadRtfPlainBytes(QByteArrayView data) {
    if (!IsRtf(data))
        return std::nullopt;
    RtfDetail::PlainReader reader(data);
    reader.Run();
    if (!reader.Exact())
        return std::nullopt;
    return reader.Text();
}

} // namespace Rtf
