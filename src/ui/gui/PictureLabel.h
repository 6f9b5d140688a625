#pragma once
// A label that shows a Picture: a bitmap as a pixmap, a metafile drawn as vectors at the size and
// screen scale it is shown. Its pixmap always holds the picture at its natural size, so code that
// asks a label for its pixmap keeps working.
#include "ui/Picture.h"

#include <QLabel>

class PictureLabel : public QLabel {
    Q_OBJECT
public:
    enum class Fit {
        Natural, // at its natural size, at the top left
        Shrink,  // shrunk to the label keeping its proportions when too big, at the top centre
        Stretch, // stretched to the whole label
    };
    explicit PictureLabel(Fit fit, QWidget* parent = nullptr);

    void SetPicture(const Picture& picture);
    // The picture shown: the one set, else the label's pixmap when one was set directly.
    Picture CurrentPicture() const;
    // Empties the label (picture and pixmap).
    void ClearPicture();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdatePixmap();

    Fit m_fit;
    Picture m_picture;
};
