#pragma once
// The items of the task list: one per position, "1) wording" and a picture of the position's state.
// A test of thousands of tasks starts without a pause: the wordings are shared with the session, and
// an item's text is made only when the list draws that item.
#include "session/SessionPorts.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QList>
#include <QStringList>

#include <array>

class TaskListModel final : public QAbstractListModel {
public:
    // `icons` are the pictures of TaskListImage's states, in its order.
    TaskListModel(std::array<QIcon, 3> icons, QObject* parent);

    // One item per wording, each not shown yet.
    void SetWordings(QStringList wordings);
    void SetImage(int position, TaskListImage image);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::array<QIcon, 3> m_icons;
    QStringList m_wordings;
    QList<TaskListImage> m_images;
};
