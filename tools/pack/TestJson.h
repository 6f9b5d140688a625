#pragma once
// The readable form of a test file: JSON whose keys are the field names of the test, its topics,
// grades and tasks. `dump` prints it; `build` reads it back.
#include "OrderedJson.h"
#include "model/TestLoader.h"
#include "model/TestWriter.h"

#include <QJsonObject>

JNode TestToJson(const LoadedTest& loaded);

struct TestSource {
    std::unique_ptr<TTest> Test;
    std::vector<TTask> Tasks;
    std::vector<Attachment> Files;
};

// Reads a test from its JSON form; attached files are read from paths relative to baseDir.
// Missing keys keep their defaults; an unknown key or a value of the wrong type is an error that
// names the key.
bool TestFromJson(const QJsonObject& json, const QString& baseDir, TestSource& out, QString& error);
