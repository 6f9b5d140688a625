#pragma once
// The page "Папки": the folder the open-test dialog starts in and the folder of the result files.
#include "ConfigSheet.h"

struct AdditionConfigServices;
struct TSettings;

class FolderSheet : public ConfigSheet {
    Q_OBJECT
public:
    FolderSheet(TSettings& settings, AdditionConfigServices& services, QWidget* parent = nullptr);

protected:
    void Fill() override;
    void Apply() override;

private:
    // One row: the label over the edit, "Очистити" and "Огляд".
    QLineEdit* AddFolderRow(QGridLayout* grid, int row, QStringView label, const QString& edit,
                            const QString& clear, const QString& select);

    TSettings& m_settings;
    AdditionConfigServices& m_services;
    QLineEdit* m_initialDir = nullptr;
    QLineEdit* m_resultDir = nullptr;
};
