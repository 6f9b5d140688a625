#pragma once
// The page "Ім’я": what the name dialog puts into its two fields, the patterns it checks them
// against, the examples it quotes and the captions over the fields.
#include "ConfigSheet.h"

#include <array>

struct TSettings;

class UserNameSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit UserNameSheet(TSettings& settings, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    TSettings& m_settings;
    // Default, pattern, example, caption: of the name, then of the group.
    std::array<QLineEdit*, 4> m_name{};
    std::array<QLineEdit*, 4> m_group{};
    QCheckBox* m_saveLastUser;
};
