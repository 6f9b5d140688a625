#pragma once
// Small builders of tests and containers shared by the model tests.
#include "model/ByteWriter.h"
#include "model/Task.h"
#include "model/Test.h"
#include "model/TestWriter.h"

#include <QDir>
#include <QTemporaryDir>

inline TTask MakeTask(int kind, const QByteArray& question) {
    TTask t(kind);
    t.Question = question;
    return t;
}

// One task of every kind, with the answer data each kind carries.
inline std::vector<TTask> EveryKind() {
    std::vector<TTask> tasks;
    TTask single = MakeTask(SingleChoice, "{\\rtf1 Which?}");
    single.Variants[0] = "a";
    single.Variants[2] = "c";
    single.Keys[2] = 1;
    single.Picture = "pic.png";
    single.Hint = "hint";
    single.HintPenalty = 1;
    single.Explanation = "because";
    single.Weight = 3;
    single.TimeLimit = 30;
    single.ThemeId = 1;
    tasks.push_back(single);
    TTask multiple = MakeTask(MultipleChoice, "multi");
    multiple.Variants = {"a", "b", "c", "d"};
    multiple.Keys = {1, 0, 1, 0};
    tasks.push_back(multiple);
    TTask ordering = MakeTask(Ordering, "order");
    ordering.Variants = {"1", "2", "3", "4"};
    ordering.Keys = {2, 1, 4, 3};
    tasks.push_back(ordering);
    TTask matching = MakeTask(Matching, "match");
    matching.Variants = {"x", "y"};
    matching.Matches = {"X", "Y", "Z"};
    matching.Keys = {2, 1};
    tasks.push_back(matching);
    TTask truth = MakeTask(TrueFalse, "true?");
    truth.Variants = {"s1", "s2"};
    truth.Keys = {1, 2};
    tasks.push_back(truth);
    TTask number = MakeTask(InputNum, "number");
    number.NumValue = 3.25;
    number.NumFrom = -1.5;
    number.NumTo = 7;
    number.NumIsRange = true;
    tasks.push_back(number);
    TTask text = MakeTask(InputText, "text");
    text.TextAnswers = "\xCA\xE8\xBF\xE2\r\nKyiv";
    text.CaseSensitive = true;
    tasks.push_back(text);
    TTask point = MakeTask(PointOnPicture, "point");
    point.Picture = "map.png";
    point.Area = {10, 20, 30, 40};
    tasks.push_back(point);
    return tasks;
}

// A plain (not yet compressed) payload written by hand, for damaged files.
struct PayloadBuilder {
    QByteArray bytes;
    ByteWriter w{bytes};

    // A header with default values and the given passwords and topics flag.
    PayloadBuilder& Header(const QByteArray& openPassword = {}) {
        TTest test({}, {}, {});
        test.Title = "T";
        test.OpenPassword = openPassword;
        test.WriteHeader(w);
        return *this;
    }
};
