#include "RtfWriter.h"

#include "RichTextControl.h"
#include "model/TextCodec.h"
#include "ui/RtfPicture.h"
#include "ui/RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

#include <cmath>

namespace {

class Writer {
public:
    explicit Writer(const RichTextControl& control) : m_control(control) {}

    QByteArray Run() {
        const QTextDocument& doc = *m_control.document();
        QByteArray body;
        bool first = true;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            if (!first)
                body += "\\par\r\n";
            first = false;
            WriteParagraph(block.blockFormat(), body);
            for (auto it = block.begin(); !it.atEnd(); ++it)
                WriteFragment(it.fragment(), body);
        }
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i)
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset204 " + Escape(m_fonts[i]) + ";}";
        out += "}\r\n{\\colortbl ;";
        for (const QColor& c : std::as_const(m_colors))
            out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) +
                   "\\blue" + QByteArray::number(c.blue()) + ";";
        out += "}\r\n\\uc1 " + body + "\\par\r\n}\r\n";
        return out;
    }

private:
    static QByteArray Escape(const QString& text) {
        QByteArray out;
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c == '\\' || c == '{' || c == '}') {
                out += '\\';
                out += char(c);
            } else if (c == '\t') {
                out += "\\tab ";
            } else if (c == 0x2028 || c == 0x2029 || c == '\n') {
                out += "\\line ";
            } else if (c == 0xA0) {
                out += "\\~";
            } else if (c >= 0x20 && c < 0x80) {
                out += char(c);
            } else if (c == QChar::ObjectReplacementCharacter) {
                // written by WriteFragment
            } else {
                const QByteArray b = TextCodec::ToCp1251(QStringView(&c, 1));
                if (b != "?" || c == '?') {
                    out += "\\'" +
                           QByteArray::number(static_cast<unsigned char>(b[0]), 16).rightJustified(2, '0');
                } else {
                    out += "\\u" + QByteArray::number(qint16(c)) + '?';
                }
            }
        }
        return out;
    }

    int FontIndex(const QString& family) {
        const qsizetype i = m_fonts.indexOf(family);
        if (i >= 0)
            return int(i);
        m_fonts.append(family);
        return int(m_fonts.size() - 1);
    }

    int ColorIndex(const QColor& color) {
        const qsizetype i = m_colors.indexOf(color);
        if (i >= 0)
            return int(i + 1);
        m_colors.append(color);
        return int(m_colors.size());
    }

    void WriteParagraph(const QTextBlockFormat& f, QByteArray& out) {
        out += "\\pard";
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter)
            out += "\\qc";
        else if (a & Qt::AlignRight)
            out += "\\qr";
        else if (a & Qt::AlignJustify)
            out += "\\qj";
        auto twips = [](double px) { return QByteArray::number(qRound(px * 15)); };
        // Unzoomed: left, right, top and bottom margin, first-line indent, then the tab stops.
        QList<double> v = {f.leftMargin(), f.rightMargin(), f.topMargin(), f.bottomMargin(), f.textIndent()};
        for (const QTextOption::Tab& tab : f.tabPositions())
            v.append(tab.position);
        const QVariantList base = f.property(RichTextControl::BaseBlockProperty).toList();
        if (base.size() == v.size())
            for (qsizetype i = 0; i < v.size(); ++i)
                v[i] = base[i].toDouble();
        const char* words[] = {"\\li", "\\ri", "\\sb", "\\sa", "\\fi"};
        for (int i = 0; i < 5; ++i)
            if (v[i] != 0)
                out += words[i] + twips(v[i]);
        const QList<QTextOption::Tab> tabs = f.tabPositions();
        for (qsizetype i = 0; i < tabs.size(); ++i) {
            if (tabs[i].type == QTextOption::RightTab)
                out += "\\tqr";
            else if (tabs[i].type == QTextOption::CenterTab)
                out += "\\tqc";
            else if (tabs[i].type == QTextOption::DelimiterTab)
                out += "\\tqdec";
            out += "\\tx" + twips(v[5 + i]);
        }
        out += ' ';
    }

    void WriteFragment(const QTextFragment& fragment, QByteArray& out) {
        const QTextCharFormat f = fragment.charFormat();
        out += "{\\plain";
        const QStringList families = f.fontFamilies().toStringList();
        const QString family = families.isEmpty() ? m_control.BaseFont().family() : families.first();
        out += "\\f" + QByteArray::number(FontIndex(family));
        out += "\\fs" + QByteArray::number(qRound(m_control.BasePointSize(f) * 2));
        if (f.fontWeight() >= QFont::Bold)
            out += "\\b";
        if (f.fontItalic())
            out += "\\i";
        if (f.fontUnderline())
            out += "\\ul";
        if (f.fontStrikeOut())
            out += "\\strike";
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            out += "\\super";
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            out += "\\sub";
        if (f.hasProperty(QTextFormat::ForegroundBrush))
            out += "\\cf" + QByteArray::number(ColorIndex(f.foreground().color()));
        if (f.hasProperty(QTextFormat::BackgroundBrush))
            out += "\\highlight" + QByteArray::number(ColorIndex(f.background().color()));
        out += ' ';
        if (f.isImageFormat())
            WritePicture(f.toImageFormat(), out);
        else
            out += Escape(fragment.text());
        out += '}';
    }

    void WritePicture(const QTextImageFormat& f, QByteArray& out) {
        const QVariant base = f.property(RichTextControl::BaseWidthProperty);
        const double w = base.isValid() ? base.toDouble() : f.width();
        const double h = base.isValid() ? f.doubleProperty(RichTextControl::BaseHeightProperty) : f.height();
        QByteArray kind;
        QByteArray data;
        const QVariant resource =
            m_control.document()->resource(QTextDocument::ImageResource, QUrl(f.name()));
        const QImage image = resource.value<QImage>();
        if (f.hasProperty(Rtf::PictureDataProperty)) {
            switch (f.intProperty(Rtf::PictureKindProperty)) {
            case RtfPicture::Png:
                kind = "\\pngblip";
                break;
            case RtfPicture::Jpeg:
                kind = "\\jpegblip";
                break;
            case RtfPicture::Dib:
                kind = "\\dibitmap0";
                break;
            case RtfPicture::Emf:
                kind = "\\emfblip";
                break;
            case RtfPicture::Wmf:
                kind = "\\wmetafile8";
                break;
            default:
                return; // a picture we could neither read nor name again
            }
            data = f.property(Rtf::PictureDataProperty).toByteArray();
        } else if (!image.isNull()) {
            kind = "\\pngblip";
            QBuffer buffer(&data);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        } else {
            return;
        }
        out += "{\\pict" + kind;
        if (!image.isNull() && !f.hasProperty(Rtf::PictureDataProperty))
            out +=
                "\\picw" + QByteArray::number(image.width()) + "\\pich" + QByteArray::number(image.height());
        out += "\\picwgoal" + QByteArray::number(qRound(w * 15)) + "\\pichgoal" +
               QByteArray::number(qRound(h * 15));
        out += "\r\n";
        const QByteArray hex = data.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128)
            out += hex.mid(i, 128) + "\r\n";
        out += '}';
    }

    const RichTextControl& m_control;
    QStringList m_fonts;
    QList<QColor> m_colors;
};

} // namespace

QByteArray WriteRtf(const RichTextControl& control) {
    return Writer(control).Run();
}
