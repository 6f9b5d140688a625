#pragma once
// The readable forms of result records that the teacher's tools print: JSON with the record's own
// field names in stream order, and a CSV table for a spreadsheet. `quizar-pack results` prints the
// records of a protected results file this way and the journal server its stored results, so both
// read the same; the journal adds the session each result came from.
#include "model/ResultTest.h"

#include <QByteArray>
#include <QList>

#include <optional>

struct ExportedResult {
    TResultTest record;
    // The session the result was reported under; protected results files carry none.
    std::optional<QByteArray> sessionId;
};

// A JSON array, one object per record; "SessionId" comes first in an object when the record has
// one. Texts are converted from code page 1251 to UTF-8; dates appear as stored and as
// "dd.mm.yyyy hh:nn:ss" in a "...Text" field beside them.
QByteArray ResultsJson(const QList<ExportedResult>& results);

// RFC 4180 CSV in UTF-8 with a byte-order mark, a header row and one row per record, lines ended by
// CR LF. With `sessionColumn` a last column "session" holds each record's session.
QByteArray ResultsCsv(const QList<ExportedResult>& results, bool sessionColumn);
