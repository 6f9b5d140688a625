#include "BrowseForFolder.h"

#include <QFileDialog>

FolderChoice BrowseForFolder(QWidget* owner, const QString& start) {
    const QString path = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Пожалуйста, выберите папку"), start, QFileDialog::ShowDirsOnly);
    return {!path.isEmpty(), path};
}
