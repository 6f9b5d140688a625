#pragma once
// A home of its own for a real program that a test starts: its per-user store, data folder and
// runtime folder live in `home`, so that the test neither reads nor changes the user's own.
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>

// The system's environment with HOME and the XDG folders in `home`, which is made (the runtime
// folder private, as the XDG rules want it); false when a folder cannot be made.
inline bool PrivateHomeEnvironment(const QString& home, QProcessEnvironment& env) {
    for (const char* folder : {"", "/run", "/data", "/config"})
        if (!QDir().mkpath(home + QLatin1String(folder)))
            return false;
    QFile::setPermissions(home + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    return true;
}
