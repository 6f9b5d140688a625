#include "ColorsSheet.h"

#include "AdditionConfigServices.h"
#include "ColorSwatch.h"

#include "settings/ConfigPages.h"
#include "settings/SettingsTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* const TagProperty = "Tag";
} // namespace

ColorsSheet::ColorsSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent)
    : ConfigSheet(QStringLiteral("TabSheetColors"), ConfigTexts::ColorsText,
                  QStringLiteral(":/pages/colors.png"), parent),
      m_settings(settings), m_services(services) {
    QGroupBox* group = NewGroup(ConfigTexts::ColorGroup);
    auto* column = new QVBoxLayout(group);

    auto newSwatch = [this](const QString& name) {
        auto* swatch = new ColorSwatch(this);
        swatch->setObjectName(name);
        return swatch;
    };
    // The two answer colours: label, swatch, button.
    auto* answers = new QGridLayout;
    answers->setVerticalSpacing(3);
    const std::array<std::pair<const char*, QStringView>, 2> answerRows = {
        std::pair{"ColorCorrect", ConfigTexts::ColorCorrectLabel},
        std::pair{"ColorError", ConfigTexts::ColorErrorLabel}};
    for (int row = 0; row < 2; ++row) {
        const QString name = QLatin1String(answerRows[size_t(row)].first);
        ColorSwatch* swatch = newSwatch(name);
        QPushButton* choose = NewButton(QStringLiteral("bb") + name, ConfigTexts::Choose);
        m_swatches[size_t(row)] = swatch;
        answers->addWidget(NewLabel(answerRows[size_t(row)].second), row, 0);
        answers->addWidget(swatch, row, 1);
        answers->addWidget(choose, row, 2);
        connect(choose, &QPushButton::clicked, this, [this, swatch] { Choose(swatch); });
    }
    answers->setColumnStretch(0, 1);
    column->addLayout(answers);

    // The ten pairs in two columns, 1 to 5 and 6 to 10.
    column->addWidget(NewLabel(ConfigTexts::ColorCollationLabel));
    auto* pairs = new QGridLayout;
    pairs->setHorizontalSpacing(6);
    pairs->setVerticalSpacing(3);
    for (int n = 1; n <= 10; ++n) {
        ColorSwatch* swatch = newSwatch(QStringLiteral("ColorCollation%1").arg(n));
        QPushButton* choose = NewButton(QStringLiteral("bbColorCollation%1").arg(n), ConfigTexts::Choose);
        choose->setProperty(TagProperty, n);
        m_swatches[size_t(n + 1)] = swatch;
        const int row = (n - 1) % 5, col = (n - 1) / 5 * 4;
        QLabel* label = NewLabel(QStringLiteral("#%1:").arg(n));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        pairs->addWidget(label, row, col);
        pairs->addWidget(swatch, row, col + 1);
        pairs->addWidget(choose, row, col + 2);
        connect(choose, &QPushButton::clicked, this, &ColorsSheet::ChooseCollation);
    }
    pairs->setColumnMinimumWidth(3, 12);
    pairs->setColumnStretch(1, 1);
    pairs->setColumnStretch(5, 1);
    column->addLayout(pairs);
    Body()->addWidget(group);
    AddApplyButton(QStringLiteral("bbSetColors"));
}

void ColorsSheet::Fill() {
    const ColorsPage page = ColorsPageFrom(m_settings);
    for (size_t i = 0; i < page.size(); ++i)
        m_swatches[i]->SetColor(page[i]);
    m_custom.Append(CustomColorList::Entries(page));
}

void ColorsSheet::Apply() {
    ColorsPage page{};
    for (size_t i = 0; i < page.size(); ++i)
        page[i] = m_swatches[i]->Color();
    ApplyColorsPage(page, m_settings);
}

void ColorsSheet::Choose(ColorSwatch* swatch) {
    CustomColorList::Slots custom = m_custom.ToSlots();
    const std::optional<quint32> chosen = m_services.pickColor(window(), swatch->Color(), custom);
    m_custom.WriteBack(custom);
    if (!chosen || (*chosen & 0xFFFFFF) == swatch->Color())
        return;
    swatch->SetColor(*chosen);
    Changed();
}

void ColorsSheet::ChooseCollation() {
    const int tag = sender() ? sender()->property(TagProperty).toInt() : 0;
    if (auto* swatch = findChild<ColorSwatch*>(QStringLiteral("ColorCollation%1").arg(tag)))
        Choose(swatch);
}
