#pragma once
// A user's desktop folders inside a temporary folder: home, data, configuration and an empty
// "system" data folder, so that neither the real home nor the machine's installed types and
// applications take part. The runner runs the real helper programs (they work on the folders
// they are given) except gio, whose metadata store lives in the real home: that one is only
// recorded.
#include "settings/DesktopContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class DesktopSandbox {
public:
    DesktopSandbox() {
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("home/.local/share")));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("home/.config")));
        m_env.insert(QStringLiteral("XDG_DATA_DIRS"), Path(QStringLiteral("system")));
        m_env.insert(QStringLiteral("XDG_CONFIG_DIRS"), Path(QStringLiteral("etc")));
        m_env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("X-Generic"));
        m_env.remove(QStringLiteral("XDG_MENU_PREFIX"));
        for (const char* dir : {"home/.local/share", "home/.config", "system", "etc"})
            QDir().mkpath(Path(QString::fromLatin1(dir)));
        m_log = std::make_shared<QStringList>();
    }

    QString Path(const QString& relative) const { return m_root.filePath(relative); }
    const QProcessEnvironment& Environment() const { return m_env; }
    void SetVariable(const QString& name, const QString& value) { m_env.insert(name, value); }
    XdgFolders Folders() const { return XdgFolders::FromEnvironment(m_env); }
    // The sandbox's desktop for a program file, with the real helper programs.
    DesktopContext Context(const QString& program) const { return {Folders(), program, Runner()}; }

    // Every command the runner was asked to run, as "program arg arg...".
    const QStringList& Ran() const { return *m_log; }
    CommandRunner Runner() const {
        auto log = m_log;
        CommandRunner real = ProcessRunner(m_env);
        return [log, real](const QString& program, const QStringList& args) {
            log->append((QStringList{program} + args).join(QLatin1Char(' ')));
            if (program == QLatin1String("gio"))
                return CommandResult{true, 0, false, {}};
            return real(program, args);
        };
    }
    // A runner that reports success for every program without running any.
    CommandRunner Pretender() const {
        auto log = m_log;
        return [log](const QString& program, const QStringList& args) {
            log->append((QStringList{program} + args).join(QLatin1Char(' ')));
            return CommandResult{true, 0, false, {}};
        };
    }

    static bool Has(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

    static bool Write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_root;
    QProcessEnvironment m_env;
    std::shared_ptr<QStringList> m_log;
};

#define QUIZAR_REQUIRE_TOOL(program)                                                                         \
    do {                                                                                                     \
        if (!DesktopSandbox::Has(QStringLiteral(program)))                                                   \
            QSKIP(program " is not installed (./dev installs it)");                                          \
    } while (false)
