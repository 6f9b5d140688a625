#pragma once
// The modal text viewer: one rich-text fragment, or a copy of a text control, shown enlarged.
#include <QByteArray>
#include <QDialog>

#include <memory>

class QTextDocument;

class QKeyEvent;
class QPushButton;
class RichTextControl;

class TTextViewForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ZoomStep = 5;

    explicit TTextViewForm(QWidget* parent = nullptr);

    RichTextControl* Viewer() const { return m_viewer; }
    QPushButton* OkButton() const { return m_ok; }
    // The caption when `caption` (code page 1251) is not empty; "Перегляд" stays otherwise.
    void SetCaption(const QByteArray& caption);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // PageUp/PageDown, Up/Down, Home/End (also with Ctrl) scroll the text; true when the key did.
    bool ScrollByKey(const QKeyEvent& key);

    RichTextControl* m_viewer;
    QPushButton* m_ok;
};

// Shows the fragment in a new viewer, modally, and returns true when it was closed with OK.
bool ViewRichText(const QByteArray& fragment, const QByteArray& caption, QWidget* parent = nullptr);
// The same with the whole formatted content and the selection of `control`.
bool ViewRichControl(RichTextControl& control, const QByteArray& caption, QWidget* parent = nullptr);
// The same for a document made for the viewer, which takes it over.
bool ViewRichDocument(std::unique_ptr<QTextDocument> document, const QByteArray& caption,
                      QWidget* parent = nullptr);

// aShowREtoViewer: when the command is enabled (a session runs) and the focused control of
// `mainWindow` is a task text control, shows that control in the viewer without a caption. True when
// the viewer was shown.
bool ShowFocusedTextInViewer(QWidget& mainWindow, bool enabled);
