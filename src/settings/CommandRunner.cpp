#include "CommandRunner.h"

#include <QProcess>
#include <QStandardPaths>

CommandRunner ProcessRunner(const QProcessEnvironment& env, int timeoutMs) {
    return [env, timeoutMs](const QString& program, const QStringList& arguments) {
        CommandResult result;
        // Without a PATH of its own the environment uses the program's.
        const QStringList path =
            env.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
        const QString found = QStandardPaths::findExecutable(program, path);
        if (found.isEmpty())
            return result;
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(found, arguments);
        if (!process.waitForStarted(timeoutMs))
            return result;
        result.started = true;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished(1000);
            result.crashed = true;
        } else {
            result.crashed = process.exitStatus() != QProcess::NormalExit;
            result.exitCode = process.exitCode();
        }
        result.output = process.readAll();
        return result;
    };
}
