#pragma once
// The read-only text control that shows the texts of a test: Times New Roman 12 pt by default, no
// clipboard commands, no link detection, a plain-text mode and a per-cent zoom that reflows the
// text. The zoom is done by scaling the sizes in the document; each scaled fragment remembers its
// own size in BaseSizeProperty, so sizes read back (ChangeRichTextSize, saving) are the unzoomed ones.
#include <QTextEdit>

#include <functional>

class RichTextControl : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int MaxZoom = 6400;
    // The unzoomed point size of a fragment (0: the control's font), the unzoomed width and height
    // of a picture.
    static constexpr int BaseSizeProperty = QTextFormat::UserProperty + 10;
    static constexpr int BaseWidthProperty = QTextFormat::UserProperty + 11;
    static constexpr int BaseHeightProperty = QTextFormat::UserProperty + 12;
    // The unzoomed margins, indent and tab stops of a paragraph, as a list of numbers.
    static constexpr int BaseBlockProperty = QTextFormat::UserProperty + 13;

    explicit RichTextControl(QWidget* parent = nullptr);

    // Copying the selection (Ctrl+C, the context menu) is refused unless allowed: the texts of a
    // test stay in the program, the descriptions of the test information window may be copied.
    bool CopyAllowed() const { return m_copyAllowed; }
    void SetCopyAllowed(bool on) { m_copyAllowed = on; }

    bool PlainTextMode() const { return m_plainText; }
    void SetPlainTextMode(bool on) { m_plainText = on; }

    // The font of text that carries no font of its own, unzoomed.
    QFont BaseFont() const { return m_baseFont; }
    void SetBaseFont(const QFont& font);

    // The zoom in per cent, 100 when off.
    int Zoom() const { return m_zoom; }
    // 0 switches the zoom off (100 per cent). A ratio outside 1..MaxZoom is refused: false, and the
    // zoom stays as it was.
    bool SetZoom(int percent);
    // Scales content that was put into the document without the zoom (after loading).
    void ZoomNewContent();
    // Scales all content to this control's zoom, whatever zoom it was shown at before (after copying
    // from another control).
    void ZoomAllContent() { Rescale(m_zoom / 100.0, false); }

    // The unzoomed point size of a character format: its own size, else the base font's.
    double BasePointSize(const QTextCharFormat& format) const;

signals:
    // A mouse button was released over the text (the viewer moves the focus away on it).
    void MouseReleased();
    // A double click, after the control has made its own selection (the word under the pointer); the
    // main window shows the text in the viewer on it.
    void DoubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void Rescale(double factor, bool onlyNew);
    void RescaleBlocks(double factor, bool onlyNew);

    QFont m_baseFont;
    int m_zoom = 100;
    bool m_plainText = false;
    bool m_copyAllowed = false;
};

// Gives `rewrite` the character format of every fragment of `doc` and applies the formats it
// changed (it returns true for those) in one edit block. The changes are collected before any is
// applied, because applying one may merge fragments.
void RewriteCharFormats(QTextDocument& doc, const std::function<bool(QTextCharFormat&)>& rewrite);
