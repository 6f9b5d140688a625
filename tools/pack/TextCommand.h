#pragma once
#include <QStringList>

// quizar-pack text FRAGMENT-FILE: prints the visible text of a rich-text fragment as UTF-8, so a
// teacher can check what pupils will read. `args` are the words after "text". Returns the exit code.
int TextCommand(const QStringList& args);
