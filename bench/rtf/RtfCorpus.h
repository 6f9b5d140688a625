#pragma once
// The corpus of the rich-text benchmarks and of the tests that read it both ways: made here,
// deterministically, in the style a Windows rich-edit control writes. Task wordings with Cyrillic
// text and formatting runs, \u escapes, bullet lists, small tables and pictures as hex.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>

#include <random>

namespace RtfCorpus {

inline const char Head[] =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fnil\\fcharset204 Times New "
    "Roman;}{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n{\\colortbl ;\\red255"
    "\\green0\\blue0;\\red0\\green0\\blue255;}\r\n{\\*\\generator Editor 1.0;}\\viewkind4"
    "\\uc1\\pard\\f0\\fs24 ";

inline QByteArray CyrillicWord(std::mt19937& rng) {
    QByteArray w;
    const int n = 3 + int(rng() % 8);
    for (int i = 0; i < n; ++i) {
        const int b = 0xE0 + int(rng() % 32);
        w += "\\'" + QByteArray::number(b, 16);
    }
    return w;
}

inline QByteArray Paragraph(std::mt19937& rng, int words) {
    QByteArray p;
    for (int i = 0; i < words; ++i) {
        switch (rng() % 10) {
        case 0:
            p += "{\\b " + CyrillicWord(rng) + "}";
            break;
        case 1:
            p += "\\i " + CyrillicWord(rng) + "\\i0";
            break;
        case 2:
            p += "{\\f1 word}";
            break;
        case 3:
            p += "\\u8212?";
            break;
        case 4:
            p += "{\\cf1 " + CyrillicWord(rng) + "}";
            break;
        default:
            p += CyrillicWord(rng);
            break;
        }
        p += ' ';
    }
    return p + "\\par\r\n";
}

inline QByteArray Fragment(std::mt19937& rng, const QByteArray& pictureHex) {
    QByteArray f = Head;
    const int paragraphs = 1 + int(rng() % 6);
    for (int i = 0; i < paragraphs; ++i)
        f += Paragraph(rng, 10 + int(rng() % 60));
    if (rng() % 4 == 0) {
        for (int i = 0; i < 4; ++i)
            f += "{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-"
                 "720\\li720 " +
                 Paragraph(rng, 8);
        f += "\\pard ";
    }
    if (rng() % 5 == 0) {
        for (int r = 0; r < 3; ++r) {
            f += "\\trowd\\trgaph108\\trleft-108\\cellx3000\\cellx6000\\pard\\intbl ";
            f += CyrillicWord(rng) + "\\cell " + CyrillicWord(rng) + "\\cell\\row\r\n";
        }
        f += "\\pard ";
    }
    if (rng() % 8 == 0)
        f += "{\\pict\\pngblip\\picw64\\pich64\\picwgoal960\\pichgoal960 " + pictureHex + "}\\par\r\n";
    return f + "}\r\n";
}

// The 1000 fragments, made once.
inline const QList<QByteArray>& Fragments() {
    static const QList<QByteArray> corpus = [] {
        QImage image(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                image.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        QByteArray hex;
        const QByteArray raw = png.toHex();
        for (qsizetype i = 0; i < raw.size(); i += 128)
            hex += raw.mid(i, 128) + "\r\n";
        std::mt19937 rng(42);
        QList<QByteArray> list;
        for (int i = 0; i < 1000; ++i)
            list.append(Fragment(rng, hex));
        return list;
    }();
    return corpus;
}

} // namespace RtfCorpus
