#pragma once
#include <QStringList>

// quizar-pack results FILE.qzpr [--csv]: prints every record of a protected results file as JSON
// (the default) or as CSV. `args` are the words after "results". Returns the exit code.
int ResultsCommand(const QStringList& args);
