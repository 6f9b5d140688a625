#pragma once
// The picture viewer: one window for the whole run that shows the current task's picture at its
// natural size when it opens and stretches it to the window afterwards.
#include <QWidget>

class Picture;
class PictureLabel;

class TShowQuestionImageForm : public QWidget {
    Q_OBJECT
public:
    explicit TShowQuestionImageForm(QWidget* mainWindow = nullptr);

    PictureLabel* QuestionImage() const { return m_image; }
    // Replaces the picture and shows the window without making it modal; an open window keeps its
    // size and comes to the front. A metafile is drawn as vectors at whatever size the window has.
    void ShowPicture(const Picture& picture);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* m_mainWindow;
    PictureLabel* m_image;
};
