#pragma once
// The exact inverse of the loader, for our own tools and tests: header, tasks and attached files,
// compressed, behind the plain prefix, enciphered.
#include "Cipher.h"
#include "Task.h"
#include "Test.h"

#include <vector>

struct Attachment {
    QByteArray name;
    QByteArray data;
};

// The decompressed payload: header, task count, tasks, attached-file count, attached files.
QByteArray BuildPayload(const TTest& test, const std::vector<TTask>& tasks,
                        const std::vector<Attachment>& files);
// The whole container. The output is deterministic for the same input.
QByteArray WriteTestFile(const TTest& test, const std::vector<TTask>& tasks,
                         const std::vector<Attachment>& files, const KeyRecord& key = ProgramKey);
// Wraps an already built payload: compresses it, adds the prefix, enciphers.
QByteArray WrapPayload(QByteArrayView payload, const KeyRecord& key = ProgramKey);
