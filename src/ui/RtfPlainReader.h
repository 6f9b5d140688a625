#pragma once
// The reader's builder that keeps only the text: what DocumentPlainBytes reads back from the
// document a DocumentReader makes of the same bytes, got without making it. It follows the
// document's structure as far as the text shows it: blocks joined by line breaks, table rows by
// line breaks and their cells by tabs, pictures and list markers left out, and the same budgets
// of tables and cells.
//
// What it does not follow it gives up on (Exact() is false), and the caller reads a document:
// characters that break a block inside a run of text (CR, LF, the paragraph separator), whose
// effect depends on how the document's cursor cut the runs, and a row with more cells than a table
// may have, whose further cells a document writes into the start of its last one.
#include "RtfReaderState.h"

#include <string>
#include <string_view>

namespace RtfDetail {

class PlainReader final : public Reader {
public:
    explicit PlainReader(QByteArrayView data) : Reader(data), m_cellsLeft(256 + data.size() / 16) {
        m_keepPictureBytes = false;
    }

    bool Exact() const { return m_exact; }
    // After Run, in code page 1251: paragraphs and rows joined by CR LF, cells by tabs, a line
    // break inside a paragraph as CR LF.
    QByteArray Text() const { return QByteArray(m_out.data(), qsizetype(m_out.size())); }

private:
    void AppendBytes(QByteArrayView bytes) override;
    void AppendChars(QStringView chars) override;
    void EndParagraph() override;
    void Cell() override;
    void Row() override;
    void BeginMarker() override;
    void EndMarker() override;
    void InsertPicture() override;
    void Finish() override;

    void GiveUp() {
        m_exact = false;
        m_done = true;
    }
    void BeginContent();
    void Structure();
    void Put(QStringView chars);
    void DecodePending();
    void NewBlock();
    void LeaveBlock();
    void EmitItem(std::string_view text);
    void UpdateTable(bool wantTable);
    void MoveToCell();
    void TrimTable();
    void EndTable();
    void EnterCell();
    void ApplyParagraph();

    bool m_exact = true;
    // The text is kept as it comes out, in code page 1251, where every UTF-16 unit of the document
    // is one byte, but for pictures (none) and line breaks (CR LF). Offsets in a block are only
    // compared and cut within that block, where both kinds change nothing that shows.
    //
    // The root's text before the block the cursor is in; blocks and table rows are its items.
    std::string m_out;
    bool m_firstItem = true;
    // The block the cursor is in, which it never leaves backwards: its text up to the cursor, and
    // its number among the blocks.
    std::string m_block;
    int m_blockNumber = 0;
    // Bytes of a multi-byte code page wait for the rest of their run.
    std::string m_bytes;
    int m_bytesCp = 0;
    bool m_pendingPara = false;
    // Where the text of the last list marker began and ended: block numbers and offsets in them.
    int m_pnBlock = -1, m_pnEndBlock = -1;
    qsizetype m_pnStart = -1, m_pnEnd = -1;

    // The table the cursor is in: the text of every cell of its rows, spare ones included, and
    // the cell the cursor is in.
    bool m_inTable = false;
    std::vector<std::vector<std::string>> m_cells;
    int m_columns = 0;
    int m_row = 0, m_col = 0;
    int m_cursorRow = 0, m_cursorCol = 0;
    bool m_rowEnded = false;
    bool m_cellPending = false;
    bool m_tablesAllowed = true;
    qint64 m_cellsLeft;
};

} // namespace RtfDetail
