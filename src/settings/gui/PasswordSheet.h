#pragma once
// The page "Пароль": the password that the settings dialog asks before it opens. It is read from
// and written to the per-user store, never to the settings file, and shown in clear.
#include "ConfigSheet.h"

struct AdditionConfigServices;

class PasswordSheet : public ConfigSheet {
    Q_OBJECT
public:
    explicit PasswordSheet(AdditionConfigServices& services, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    AdditionConfigServices& m_services;
    QLineEdit* m_password;
    QCheckBox* m_usePassword;
};
