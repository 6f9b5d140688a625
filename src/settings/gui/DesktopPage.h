#pragma once
// The frame shared by the association and shortcut pages: the page's picture and explanatory text
// at the top, the page's own controls, a note with an icon, and the apply button at the bottom.
// A page fills its controls each time it is shown and then disables its apply button.
#include <QWidget>

class QGroupBox;
class QPushButton;
class QShowEvent;
class QVBoxLayout;

class TDesktopPage : public QWidget {
    Q_OBJECT
protected:
    // The note shows one of the program's icons (context "apps" or "mimetypes" and name of the
    // hicolor theme); the window title is the page's caption.
    TDesktopPage(const QString& caption, const QString& intro, const QString& noteIconContext,
                 const QString& noteIconName, const QString& note, const QString& applyName, QWidget* parent);

    // Where the page puts its group of controls, between the text and the note.
    QVBoxLayout* ContentLayout() const { return m_content; }
    QPushButton* ApplyButton() const { return m_apply; }

    // Called when the page is shown (not when its window is merely restored).
    virtual void FillPage() = 0;
    void showEvent(QShowEvent* event) override;

private:
    QVBoxLayout* m_content;
    QPushButton* m_apply;
};
