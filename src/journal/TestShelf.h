#pragma once
// The folder where the teacher drops test files. The entries offered to the pupils' programs are
// the paths of its .qzf files relative to it (subfolders included, '/' between the parts), in code
// page 1251 as the protocol carries them. A test is handed out only for an entry that the listing
// offers at that moment, and only from a file that really lies inside the folder, so a request
// can never reach any other file.
#include "model/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>

class TestShelf {
public:
    // A test file bigger than this is not offered: the pupil's program would refuse the block.
    static constexpr qint64 MaxTestBytes = qint64(16) << 20;

    explicit TestShelf(QString folder);

    const QString& Folder() const { return m_folder; }

    // Every entry, sorted. Files whose names code page 1251 cannot spell, links that lead out of
    // the folder and files over MaxTestBytes are left out.
    QList<QByteArray> Entries() const;

    // The bytes of the test named by `entry`; NotFound for anything Entries() would not offer now.
    Status Read(const QByteArray& entry, QByteArray& bytes) const;

private:
    struct Found {
        QByteArray entry;
        QString path;
    };
    QList<Found> Scan() const;

    QString m_folder;
};
