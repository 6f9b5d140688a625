#include "RenderCommand.h"

#include "ui/Picture.h"
#include "ui/PictureTextObject.h"
#include "ui/RichDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QTextDocument>

#include <cstdio>

namespace {

// Pictures and texts are never drawn larger than this, whatever they or the caller ask for.
constexpr int MaxSide = 16384;

} // namespace

QImage RenderFragment(const QByteArray& fragment, int width) {
    width = std::clamp(width, 16, MaxSide);
    QImage probe(1, 1, QImage::Format_RGB32); // lays the text out at 96 dots per inch
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&probe);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(12);
    doc.setDefaultFont(font);
    ReadFragment(fragment, doc);
    PictureText::Install(doc);
    doc.setTextWidth(width);
    const int height = std::clamp(int(std::ceil(doc.size().height())), 1, MaxSide);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    doc.drawContents(&painter);
    return image;
}

QImage RenderPictureFile(const QString& path, int width) {
    const Picture picture = ReadPictureFile(path);
    if (picture.IsNull())
        return QImage();
    QSize size = picture.PixelSize();
    if (width > 0) {
        const double scale = double(std::min(width, MaxSide)) / picture.NaturalSize().width();
        size = (picture.NaturalSize() * scale).toSize().expandedTo(QSize(1, 1));
    }
    size = size.boundedTo(QSize(MaxSide, MaxSide));
    return picture.ToImage(size, 1, Qt::white).convertToFormat(QImage::Format_RGB32);
}

int RenderCommand(const QStringList& args) {
    QString input, output;
    int width = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o") && i + 1 < args.size()) {
            output = args[++i];
        } else if (args[i] == QLatin1String("--width") && i + 1 < args.size()) {
            bool ok = false;
            width = args[++i].toInt(&ok);
            if (!ok || width <= 0) {
                std::fputs("quizar-pack: --width needs a number of pixels above 0\n", stderr);
                return 2;
            }
        } else if (input.isEmpty()) {
            input = args[i];
        } else {
            input.clear();
            break;
        }
    }
    if (input.isEmpty() || output.isEmpty()) {
        std::fputs("usage: quizar-pack render INPUT -o OUT.png [--width PIXELS]\n", stderr);
        return 2;
    }
    QImage image;
    if (IsPictureFileName(input)) {
        if (!QFile::exists(input)) {
            std::fprintf(stderr, "quizar-pack: %s: no such file\n", qPrintable(input));
            return 1;
        }
        image = RenderPictureFile(input, width);
        if (image.isNull()) {
            std::fprintf(stderr, "quizar-pack: %s: not a picture that can be shown\n", qPrintable(input));
            return 1;
        }
    } else {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "quizar-pack: %s: %s\n", qPrintable(input), qPrintable(file.errorString()));
            return 1;
        }
        image = RenderFragment(file.readAll(), width > 0 ? width : 600);
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "quizar-pack: %s: cannot write the picture\n", qPrintable(output));
        return 1;
    }
    return 0;
}
