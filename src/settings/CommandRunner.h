#pragma once
// Running the desktop's helper programs (update-mime-database, update-desktop-database, gio).
// The desktop integration takes the runner as a function, so that tests can run the real programs
// inside temporary folders, or record what would have run instead.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

struct CommandResult {
    bool started = false; // false when the program is missing or could not be run
    int exitCode = -1;    // meaningful only when started and not crashed
    bool crashed = false;
    QByteArray output; // standard output and standard error, merged
    bool Ok() const { return started && !crashed && exitCode == 0; }
};

using CommandRunner = std::function<CommandResult(const QString& program, const QStringList& arguments)>;

// Runs the program found on the PATH of `env` with that environment and waits for it, at most
// `timeoutMs`; a program that takes longer is killed and reported as crashed.
CommandRunner ProcessRunner(const QProcessEnvironment& env, int timeoutMs = 30000);
