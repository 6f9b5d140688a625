#pragma once
// The test information window: the loaded test described line by line, the last lines in the
// background colour, web addresses opened with the desktop's handler.
#include <QDialog>

#include <functional>

class QPushButton;
class RichTextControl;
struct TestInfoData;

class TTestInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TTestInfoForm(QWidget* parent = nullptr);

    RichTextControl* Info() const { return m_info; }
    QPushButton* OkButton() const { return m_ok; }
    void Fill(const TestInfoData& test);

    // Opens a clicked link; the desktop's handler unless a test replaces it.
    std::function<void(const QUrl&)> OpenUrl;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void reInfoURLClick(const QString& link);

    RichTextControl* m_info;
    QPushButton* m_ok;
};
