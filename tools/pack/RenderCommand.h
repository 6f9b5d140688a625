#pragma once
#include <QByteArray>
#include <QImage>
#include <QStringList>

// quizar-pack render INPUT -o OUT.png [--width PIXELS]: draws a picture file (BMP, ICO, WMF, EMF,
// JPEG, GIF, PNG, told by the extension) or a rich-text fragment (any other file) into a PNG, as the
// pupil's program shows it. `args` are the words after "render". Returns the exit code.
int RenderCommand(const QStringList& args);

// A fragment laid out `width` pixels wide as a task's wording: Times New Roman 12 pt unless it says
// otherwise, on white, its pictures drawn (metafiles as vectors).
QImage RenderFragment(const QByteArray& fragment, int width);

// A picture at its natural size, or scaled to `width` pixels wide keeping its proportions when
// width is above 0; on white. Null when the file cannot be read as its extension says.
QImage RenderPictureFile(const QString& path, int width);
