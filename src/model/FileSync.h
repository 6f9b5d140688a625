#pragma once
// Forcing written data to the disk. The one place that knows how the platform does it.
#include <QString>

// The data of an open file (and what is needed to read it back) reach the disk; false on failure.
bool SyncFileData(int handle);
// A new or renamed entry of a folder reaches the disk. Best effort: false only when it was tried and
// failed; platforms without the notion succeed.
bool SyncFolder(const QString& folder);
