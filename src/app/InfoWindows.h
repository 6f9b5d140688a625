#pragma once
// The small windows of the help menu: about, licence and support. Each is shown modally and made
// for one showing.
#include <QDialog>

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
};

class TLicenseForm : public QDialog {
    Q_OBJECT
public:
    explicit TLicenseForm(QWidget* parent = nullptr);
};

class TDonateForm : public QDialog {
    Q_OBJECT
public:
    explicit TDonateForm(QWidget* parent = nullptr);
};

// The program's resources (icon, chime, licence) live in the library of the windows, which as a
// static library must name them once before use.
void InitAppResources();

// The program's version as the about window shows it.
QString ProgramVersionText();
