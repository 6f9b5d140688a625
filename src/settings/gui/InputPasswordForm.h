#pragma once
// The password dialog, created once and kept for the run. Whoever asks compares the typed text
// itself; the dialog only remembers what the edit held when it closed.
#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

class TInputPasswordForm : public QDialog {
    Q_OBJECT
public:
    explicit TInputPasswordForm(QWidget* parent = nullptr);

    // The edit's text at the moment the dialog closed, however it closed; not trimmed.
    QString EnteredPassword;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CheckBoxPasswordCharClick();

    QLineEdit* m_edit;
    QCheckBox* m_showChars;
};
