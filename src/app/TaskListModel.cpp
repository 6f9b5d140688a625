#include "TaskListModel.h"

TaskListModel::TaskListModel(std::array<QIcon, 3> icons, QObject* parent)
    : QAbstractListModel(parent), m_icons(std::move(icons)) {}

void TaskListModel::SetWordings(QStringList wordings) {
    beginResetModel();
    m_wordings = std::move(wordings);
    m_images = QList<TaskListImage>(m_wordings.size(), TaskListImage::NotShown);
    endResetModel();
}

void TaskListModel::SetImage(int position, TaskListImage image) {
    if (position < 0 || position >= m_images.size() || m_images[position] == image)
        return;
    m_images[position] = image;
    const QModelIndex changed = index(position);
    emit dataChanged(changed, changed, {Qt::DecorationRole});
}

int TaskListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_wordings.size());
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_wordings.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return TaskListItemText(index.row(), m_wordings[index.row()]);
    case Qt::DecorationRole:
        return m_icons[size_t(m_images[index.row()])];
    default:
        return {};
    }
}
