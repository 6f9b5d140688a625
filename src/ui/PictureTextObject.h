#pragma once
// Metafile pictures inside rich text. A picture's image format carries the parsed metafile; a
// handler on the document's layout draws it as vectors into the box the layout gives it, so that a
// zoomed text or a high-density screen shows it sharp. The image resource the format names stays a
// bitmap of the picture at its size, for anything that draws the document without the handler.
#include "Metafile.h"

#include <QTextFormat>

class QTextDocument;
class QTextImageFormat;

namespace PictureText {

inline constexpr int VectorProperty = QTextFormat::UserProperty + 3;

// Attaches the metafile to the format.
void SetVector(QTextImageFormat& format, const Mf::MetafilePtr& metafile);
// The metafile of a format; nullptr for bitmaps.
Mf::MetafilePtr VectorOf(const QTextFormat& format);

// Makes the document's layout draw metafile pictures as vectors. Idempotent; a document gets a new
// layout when it is cloned, so a clone needs it again. Does nothing in a program without a GUI
// application, which draws nothing.
void Install(QTextDocument& doc);

} // namespace PictureText
