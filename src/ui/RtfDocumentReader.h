#pragma once
// The reader's builder that makes a QTextDocument: runs of equally formatted text, paragraphs,
// lists, tables and pictures, all through one QTextCursor.
#include "RtfReaderState.h"

#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;
class QTextList;
class QTextTable;
class QTextBlock;

namespace RtfDetail {

class DocumentReader final : public Reader {
public:
    DocumentReader(QByteArrayView data, QTextDocument& doc)
        : Reader(data), m_doc(doc), m_cursor(&doc), m_listsLeft(64 + data.size() / 128),
          m_cellsLeft(256 + data.size() / 16),
          m_pixelsLeft(std::max<qint64>(qint64(4) << 20, data.size() * 4)) {}

private:
    void AppendBytes(QByteArrayView bytes) override;
    void AppendChars(QStringView chars) override;
    void EndParagraph() override;
    void Cell() override;
    void Row() override;
    void BeginMarker() override;
    void EndMarker() override;
    void InsertPicture() override;
    // The tables that formats are built from changed.
    void TablesChanged() override {
        m_formatCache.clear();
        m_formatBuilt = false;
    }
    void Finish() override;

    void BeginContent();
    void Structure();
    void DecodePending();
    void FlushText();
    void UpdateTable(bool wantTable);
    void MoveToCell();
    void TrimTable();
    void EnterCell();
    void ApplyParagraph();
    void KeepMarkerText(const ParaState& p, const QTextBlock& block);
    QTextCharFormat BuildCharFormat(const CharState& ch);

    QTextDocument& m_doc;
    QTextCursor m_cursor;

    // Text runs.
    std::string m_bytes;
    int m_bytesCp = 0;
    QString m_text;
    QTextCharFormat m_format;
    CharState m_formatState;
    bool m_formatBuilt = false;
    std::vector<std::pair<CharState, QTextCharFormat>> m_formatCache;

    // Paragraphs, lists and tables.
    bool m_pendingPara = false;
    qsizetype m_pnStart = -1, m_pnEnd = -1;
    QTextList* m_list = nullptr;
    ListKind m_listKind = ListKind::None;
    int m_listLevel = 0;
    int m_listLastBlock = -1;
    qint64 m_listsLeft;     // lists that may still be made
    int m_markerNumber = 0; // the number of a list paragraph whose marker stays text
    QTextTable* m_table = nullptr;
    int m_row = 0, m_col = 0;
    bool m_rowEnded = false;
    bool m_cellPending = false;
    bool m_tablesAllowed = true;
    qint64 m_cellsLeft;

    // Pictures.
    int m_pictures = 0;
    bool m_vectorPictures = false;
    // Decoded pictures may take this many pixels in all: a few megapixels, more for a fragment that
    // brings more picture data, so the document stays a bounded multiple of its input.
    qint64 m_pixelsLeft;
};

} // namespace RtfDetail
