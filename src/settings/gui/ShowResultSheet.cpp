#include "ShowResultSheet.h"

#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

ShowResultSheet::ShowResultSheet(TSettings& settings, QWidget* parent)
    : ConfigSheet(QStringLiteral("tsShowResult"), ConfigTexts::ShowResultText,
                  QStringLiteral(":/pages/showresult.png"), parent),
      m_settings(settings) {
    auto* group = new QGroupBox(this);
    auto* column = new QVBoxLayout(group);
    m_userResult = NewCheckBox(QStringLiteral("cbIsShowUserResult"), ConfigTexts::ShowUserResult);
    m_reportEducation = NewCheckBox(QStringLiteral("cbIsShowDetailReportModeEducation"),
                                    ConfigTexts::ShowDetailReportModeEducation);
    m_reportNormal = NewCheckBox(QStringLiteral("cbIsShowDetailReportModeNormal"),
                                 ConfigTexts::ShowDetailReportModeNormal);
    for (QCheckBox* box : {m_userResult, m_reportEducation, m_reportNormal})
        column->addWidget(box);
    Body()->addWidget(group);
    AddApplyButton(QStringLiteral("bbShowResult"));
}

void ShowResultSheet::Fill() {
    const ShowResultPage page = ShowResultPageFrom(m_settings);
    m_userResult->setChecked(page.showUserResult);
    m_reportEducation->setChecked(page.showDetailReportModeEducation);
    m_reportNormal->setChecked(page.showDetailReportModeNormal);
}

void ShowResultSheet::Apply() {
    ApplyShowResultPage(
        {m_userResult->isChecked(), m_reportEducation->isChecked(), m_reportNormal->isChecked()}, m_settings);
}
