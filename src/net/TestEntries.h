#pragma once
// How the tests a server offers are listed for the pupil: an entry is the server's path of a test
// file, and the pupil sees its number and the file's name.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

// The text after the entry's last backslash or colon; the whole entry when it has neither.
QByteArray EntryFileName(QByteArrayView entry);

// "%d) %s" per entry: its 1-based number and its file name.
QStringList SelectTestItems(const QList<QByteArray>& entries);
