#pragma once
// The page "Збер. рез.": whether the results log and the protected results file are written, and
// their names for this run.
#include "ConfigSheet.h"

struct TSettings;

class SaveResultSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit SaveResultSheet(TSettings& settings, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    TSettings& m_settings;
    QCheckBox* m_saveResult;
    QLineEdit* m_resultName;
    QCheckBox* m_saveProtection;
    QLineEdit* m_protectionName;
};
