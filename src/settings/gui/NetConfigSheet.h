#pragma once
// The page "Мережа": the teacher's server, whether results go to it, whether a test is fetched
// from it at start-up, and a check of the connection with what the two edits hold.
#include "ConfigSheet.h"

#include <QPointer>

struct AdditionConfigServices;
struct TSettings;
class ConnectionTest;

class NetConfigSheet : public ConfigSheet {
    Q_OBJECT
public:
    NetConfigSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateEnabled();
    void bbTestNetClick();

    TSettings& m_settings;
    AdditionConfigServices& m_services;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QCheckBox* m_sendResult;
    QCheckBox* m_autoGet;
    QPushButton* m_testNet;
    QLabel* m_testNetNote;
    // The connection test while it runs.
    QPointer<ConnectionTest> m_test;
};
