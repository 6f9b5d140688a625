#pragma once
// The page "Кольори": the colours that mark right and wrong answers and the ten matching pairs in
// the training mode, each chosen in the colour picker.
#include "ConfigSheet.h"

#include "settings/CustomColorList.h"

#include <array>

struct AdditionConfigServices;
struct TSettings;
class ColorSwatch;

class ColorsSheet : public ConfigSheet {
    Q_OBJECT
public:
    ColorsSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent = nullptr);

    // The picker's custom colours as this opening of the dialog has them.
    const CustomColorList& CustomColors() const { return m_custom; }

protected:
    void Fill() override;
    void Apply() override;

private:
    void Choose(ColorSwatch* swatch);
    // The matching buttons share this handler; each button's tag is its pair's number.
    void ChooseCollation();

    TSettings& m_settings;
    AdditionConfigServices& m_services;
    // In the order of ColorsPage.
    std::array<ColorSwatch*, 12> m_swatches{};
    CustomColorList m_custom;
};
