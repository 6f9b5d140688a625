#include "PictureLoader.h"

#include "ImageDecode.h"
#include "UiTexts.h"
#include "ports/Prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

namespace {

// No task picture comes near this; a bigger file is refused before it is read.
constexpr qint64 MaxPictureFileSize = qint64(256) << 20;

} // namespace

QImage LoadPictureFile(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    QByteArray format;
    if (ext == QLatin1String("bmp") || ext == QLatin1String("dib") || ext == QLatin1String("rle"))
        format = "BMP";
    else if (ext == QLatin1String("ico"))
        format = "ICO";
    else if (ext == QLatin1String("gif"))
        format = "GIF";
    else if (ext == QLatin1String("png"))
        format = "PNG";
    else if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        format = "JPEG";
    else
        return QImage(); // metafiles and unknown extensions
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxPictureFileSize)
        return QImage();
    const QByteArray data = file.readAll();
    if (format == "JPEG")
        return ImageDecode::DecodeJpeg(data);
    return ImageDecode::Decode(data, format);
}

bool LoadPicture(QLabel& control, const QString& name, const QString& folder, Prompts& prompts) {
    auto hide = [&] {
        control.clear();
        control.setEnabled(false);
        control.setVisible(false);
    };
    if (name.isEmpty()) {
        hide();
        return false;
    }
    const QString path = folder + name;
    if (!QFileInfo(path).isFile()) {
        hide();
        prompts.ShowMessage(UiTexts::Text(UiTexts::ProgramTitle),
                            UiTexts::Text(UiTexts::PictureMissing).arg(path), MsgIcon::None);
        return false;
    }
    control.setEnabled(true);
    control.setVisible(true);
    const QImage image = LoadPictureFile(path);
    if (image.isNull()) {
        hide();
        prompts.ShowMessage(UiTexts::Text(UiTexts::ProgramTitle), UiTexts::Text(UiTexts::PictureLoadError),
                            MsgIcon::None);
        return false;
    }
    control.setPixmap(QPixmap::fromImage(image));
    return true;
}
