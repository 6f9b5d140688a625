#include "PictureLoader.h"

#include "PictureLabel.h"
#include "UiTexts.h"
#include "ports/Prompts.h"
#include "ui/Picture.h"

#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

QImage LoadPictureFile(const QString& path) {
    return ReadPictureFile(path).ToImage();
}

bool LoadPicture(QLabel& control, const QString& name, const QString& folder, Prompts& prompts) {
    auto hide = [&] {
        if (auto* label = qobject_cast<PictureLabel*>(&control))
            label->ClearPicture();
        control.clear();
        control.setEnabled(false);
        control.setVisible(false);
    };
    if (name.isEmpty()) {
        hide();
        return false;
    }
    const QString path = folder + name;
    // Without the test's folder (it could not be made) no picture is looked for elsewhere.
    if (folder.isEmpty() || !QFileInfo(path).isFile()) {
        hide();
        prompts.ShowMessage(UiTexts::Text(UiTexts::ProgramTitle),
                            UiTexts::Text(UiTexts::PictureMissing).arg(path), MsgIcon::None);
        return false;
    }
    control.setEnabled(true);
    control.setVisible(true);
    const Picture picture = ReadPictureFile(path);
    if (picture.IsNull()) {
        hide();
        prompts.ShowMessage(UiTexts::Text(UiTexts::ProgramTitle), UiTexts::Text(UiTexts::PictureLoadError),
                            MsgIcon::None);
        return false;
    }
    if (auto* label = qobject_cast<PictureLabel*>(&control))
        label->SetPicture(picture);
    else
        control.setPixmap(QPixmap::fromImage(picture.ToImage()));
    return true;
}
