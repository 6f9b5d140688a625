#pragma once
// The choice of one of the tests the teacher's server offers. Created once and kept; each fetch
// fills the list anew with the first item selected.
#include <QByteArray>
#include <QDialog>
#include <QList>

#include <functional>

class QListWidget;
class QPushButton;

class TSelectTestForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectTestForm(QWidget* parent = nullptr);

    // Fills `ListTest` with one item per entry and selects the first.
    void Prepare(const QList<QByteArray>& entries);
    // Prepare, then ask without a modal loop of its own: the dialog is opened window-modal and
    // `chosen` is called once, with the selected index on OK and -1 on any other close. This is
    // the form a TestChooser takes: [&form](auto& entries, auto choose) { form.Ask(entries, choose); }
    void Ask(const QList<QByteArray>& entries, std::function<void(int)> chosen);
    // The selected item, -1 when none is (an empty list).
    int SelectedIndex() const;

private:
    void UpdateOk();

    QListWidget* m_list;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::function<void(int)> m_chosen;
};
