#pragma once
// The picture of one \pict group: its kind, the size words and its bytes, and how it becomes an
// image of the right displayed size.
#include <QByteArray>
#include <QImage>
#include <QSizeF>

struct RtfPicture {
    enum Kind { Unknown, Png, Jpeg, Dib, Wbitmap, Wmf, Emf };
    Kind kind = Unknown;
    int picw = 0, pich = 0;         // natural size: pixels, or hundredths of a millimetre for metafiles
    int goalw = 0, goalh = 0;       // wanted size in twips
    int scalex = 100, scaley = 100; // per cent
    int bitsPixel = 1, planes = 1, widthBytes = 0; // of a device-dependent bitmap (\wbitmap)
    QByteArray bytes;
};

// Decodes a bitmap picture; a null image for metafiles (the reader draws those itself), damaged
// data or a size above maxPixels.
QImage DecodeRtfPicture(const RtfPicture& picture, qint64 maxPixels);

// The size in pixels at 96 dots per inch at which the picture is shown: the goal size when given,
// else the natural size (a metafile's \picw and \pich, else the size of the decoded image or of
// the metafile's header), then scaled; at least 1 by 1 and never above 16384 either way.
QSizeF RtfPictureDisplaySize(const RtfPicture& picture, QSize decoded);
