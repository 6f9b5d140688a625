#pragma once
// The main window's status bar: twelve fixed-width panels, 0 to 9 centred. Panels 4 and 5 carry
// the remaining times; while a timer marks them urgent their text is drawn in red.
#include <QStatusBar>

#include <array>

class QLabel;

class TMainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int PanelCount = 12;
    static constexpr std::array<int, PanelCount> PanelWidths = {100, 50, 60, 60, 60,  60,
                                                                22,  22, 22, 22, 100, 50};

    explicit TMainStatusBar(QWidget* parent = nullptr);

    QString PanelText(int i) const;
    void SetPanelText(int i, const QString& text);
    // Red text on panels 4 and 5 while little time remains.
    void SetPanelUrgent(int i, bool urgent);
    bool PanelUrgent(int i) const;
    QLabel* Panel(int i) const { return m_panels.at(size_t(i)); }

private:
    std::array<QLabel*, PanelCount> m_panels{};
    std::array<bool, PanelCount> m_urgent{};
};
