#pragma once
// The settings dialog "Додаткові налаштування": one page control with a page for each group of
// settings. It edits the main window's settings record in place, page by page, each page with its
// own apply button; nothing here writes the settings file. Made for one opening and destroyed after
// it; closing it drops whatever was changed and not applied.
#include "AdditionConfigServices.h"

#include <QDialog>

#include <memory>

struct TSettings;
class ConfigSheet;
class EndSoundPlayer;
class MultiRowTabWidget;
class QTabWidget;

class TStudentAdditionConfigForm : public QDialog {
    Q_OBJECT
public:
    // The size of the window's inside.
    static constexpr QSize ClientSize{428, 397};

    TStudentAdditionConfigForm(TSettings& settings, AdditionConfigServices services,
                               QWidget* parent = nullptr);
    ~TStudentAdditionConfigForm() override;

    // Shows the dialog modally, after the settings password when one is stored.
    void OpenWithPassword();

    QTabWidget* PageControl() const;
    MultiRowTabWidget* PageTabs() const { return m_tabs; }
    // The page of that object name ("TabSheetNetConfig"), or none.
    ConfigSheet* Page(const QString& objectName) const;

private:
    void FitSize();

    TSettings& m_settings;
    AdditionConfigServices m_services;
    std::unique_ptr<EndSoundPlayer> m_player;
    MultiRowTabWidget* m_tabs;
};
