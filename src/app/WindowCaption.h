#pragma once
#include <QString>

// "algebra.qzf - Quizar Student" for a loaded test, "Quizar Student" without one. The file-name part
// is the text after the last slash, backslash or colon, so names handed over from Windows-style
// paths read the same.
QString WindowCaption(bool hasTest, const QString& fileName);
