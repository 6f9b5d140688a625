#pragma once
// Task pictures from the test's folder of attached files. The format follows the file's extension:
// BMP (also .dib and .rle), ICO, GIF and PNG through Qt's readers, JPEG (.jpg, .jpeg) through
// libjpeg-turbo, WMF and EMF through the metafile player (see Picture.h).
#include <QImage>
#include <QString>

class Prompts;
class QLabel;

// Reads and decodes a picture file, a metafile drawn at its natural size. A null image when the
// extension is not one of ours, the file cannot be read, its data is damaged or it declares a size
// above the pixel cap.
QImage LoadPictureFile(const QString& path);

// Shows the picture folder + name in `control` (as vectors when the control is a PictureLabel and
// the picture a metafile). An empty name clears, disables and hides the control.
// A missing file or one that does not load hides and disables the control and tells the pupil through
// `prompts`. True when a picture is shown.
bool LoadPicture(QLabel& control, const QString& name, const QString& folder, Prompts& prompts);

// The task picture above the wording (`QuestionImage`) and the picture of a point-on-picture task
// (`Image`) load the same way.
inline bool LoadQuestionPicture(QLabel& questionImage, const QString& name, const QString& folder,
                                Prompts& prompts) {
    return LoadPicture(questionImage, name, folder, prompts);
}
inline bool LoadAnswerPicture(QLabel& image, const QString& name, const QString& folder, Prompts& prompts) {
    return LoadPicture(image, name, folder, prompts);
}
