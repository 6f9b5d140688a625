#pragma once
#include <QStringList>

// quizar-pack dump TEST.qzf [--attachments DIR]
int DumpCommand(const QStringList& args);
// quizar-pack build SOURCE.json -o TEST.qzf
int BuildCommand(const QStringList& args);
