#pragma once
// Reads RTF as a Windows rich-edit control writes it into a QTextDocument.
//
// The reader is built in four layers: RtfTokenizer splits the bytes, a stack of group states keeps
// the character, paragraph and destination state that RTF scopes by braces, the destinations
// route each token (text, font table, colour table, picture, list marker, field, skipped), and a
// builder turns runs of equally formatted text, paragraphs, lists, tables and pictures into the
// document through one QTextCursor; another builder keeps only their text.
//
// It never fails on damaged input: unbalanced braces, cut escapes, overlong words and numbers and
// forged counts are all read as far as they make sense. Nesting deeper than MaxDepth is flattened,
// tables and pictures draw on budgets derived from the input's size, so the document's memory stays
// a small multiple of the input.
#include <QByteArray>
#include <QByteArrayView>
#include <QTextFormat>

#include <optional>

class QTextDocument;

namespace Rtf {

inline constexpr int MaxDepth = 200;

// Properties of the image format of a picture the reader could not decode (metafiles): the
// picture's kind (RtfPicture::Kind) and its bytes, kept for a later renderer.
inline constexpr int PictureKindProperty = QTextFormat::UserProperty + 1;
inline constexpr int PictureDataProperty = QTextFormat::UserProperty + 2;

// Marks the characters of a list marker that is kept as text (a numbering that the document's
// lists cannot draw: one that starts past 1, or a bullet of its own), so that the plain text leaves
// it out as it leaves out the markers that lists draw.
inline constexpr int ListMarkerProperty = QTextFormat::UserProperty + 4;

// True when the bytes begin with "{\rtf" in any letter case.
bool IsRtf(QByteArrayView data);

// Replaces the content of `doc` by the document read from `data`. Returns false, leaving the
// document empty, when the data is not RTF (see IsRtf).
bool ReadRtf(QByteArrayView data, QTextDocument& doc);

// The text that DocumentPlainBytes gives of the document ReadRtf makes of `data`, read without
// making the document, at a fraction of the cost. Nothing when the data is not RTF, or when it
// holds what only the document can tell (see RtfPlainReader.h); the document gives that text then.
std::optional<QByteArray> ReadRtfPlainBytes(QByteArrayView data);

} // namespace Rtf
