#include "FileSync.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

bool SyncFileData(int handle) {
    if (handle < 0)
        return false;
#ifdef Q_OS_UNIX
    return ::fdatasync(handle) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(handle) == 0;
#else
    return true;
#endif
}

bool SyncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(folder);
    return true;
#endif
}
