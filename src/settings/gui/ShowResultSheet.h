#pragma once
// The page "Вивід рез.": what the pupil is shown at the end of a test.
#include "ConfigSheet.h"

struct TSettings;

class ShowResultSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit ShowResultSheet(TSettings& settings, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    TSettings& m_settings;
    QCheckBox* m_userResult;
    QCheckBox* m_reportEducation;
    QCheckBox* m_reportNormal;
};
