#pragma once
// The commands of quizar-journal. `args` are the words after the command's name; each returns the
// program's exit code.
#include <QStringList>

int ServeCommand(const QStringList& args);
int ResultsCommand(const QStringList& args);
int ImportCommand(const QStringList& args);
