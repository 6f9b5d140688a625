#pragma once
// One page of the settings dialog: a small picture and the page's explanatory text at the top,
// the page's own controls, and its apply button "Застосувати" at the bottom edge. Each time the
// page is shown its controls are filled from the settings (which drops what was changed there and
// not applied) and the apply button is disabled; a change of any control enables it, and pressing
// it copies the controls into the settings and disables it again.
#include <QString>
#include <QStringView>
#include <QWidget>

class QGridLayout;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

class ConfigSheet : public QWidget {
    Q_OBJECT
public:
    // `picture` is a resource path of the page's picture.
    ConfigSheet(const QString& objectName, QStringView text, const QString& picture,
                QWidget* parent = nullptr);

    QPushButton* ApplyButton() const { return m_apply; }
    QLabel* TextLabel() const { return m_text; }

protected:
    // Puts the settings into the controls; every time the page is shown.
    virtual void Fill() {}
    // Copies the controls into the settings.
    virtual void Apply() {}
    // Whether pressing apply disables the button; a page whose button keeps its state says no.
    virtual bool ApplyDisablesButton() const { return true; }

    // Where the page puts its controls, between the text and the apply button.
    QVBoxLayout* Body() const { return m_body; }
    // Adds the apply button; called once the page's own controls are made, so that it comes last
    // when the focus goes round the page.
    QPushButton* AddApplyButton(const QString& objectName);
    // A control of the page changed.
    void Changed();
    void WatchChanges(QLineEdit* edit);
    void WatchChanges(QCheckBox* box);

    // Small builders for the pages, with the object names the controls are found by.
    QLabel* NewLabel(QStringView text, QWidget* buddy = nullptr);
    QLineEdit* NewEdit(const QString& objectName);
    QCheckBox* NewCheckBox(const QString& objectName, QStringView text);
    QPushButton* NewButton(const QString& objectName, QStringView text);
    // A note in the window's grey, wrapped.
    QLabel* NewNote(QStringView text);
    QGroupBox* NewGroup(QStringView title);

    void showEvent(QShowEvent* event) override;

private:
    QVBoxLayout* m_body;
    QLabel* m_text;
    QPushButton* m_apply = nullptr;
};
