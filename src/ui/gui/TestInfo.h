#pragma once
// The descriptions of a loaded test: the summary in the question area after loading, the test
// information window and the instruction.
#include "model/Test.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

#include <functional>

class QWidget;
class RichTextControl;

using TestInfoMark = TMark;

// What the descriptions read of the loaded test, under the names of the test header (texts in
// code page 1251, dates as stored: days since 1899-12-30), plus the number of tasks loaded.
struct TestInfoData {
    QByteArray Title;
    QByteArray Author;
    QByteArray Description;
    QByteArray Instruction;
    QByteArray UId;
    bool RandomTaskOrder = false;
    bool RandomVariantOrder = false;
    bool UseThemes = false;
    qint32 TestTimeLimit = 0;
    qint32 AskTaskCount = 0;
    qint32 TotalAskCount = 0;
    QList<TestInfoMark> Marks;
    double Created = 0;
    double Saved = 0;
    int LoadedTaskCount = 0;
};

// What the descriptions need of a loaded test with `loadedTaskCount` tasks.
TestInfoData TestInfoFrom(const TTest& test, int loadedTaskCount);

struct InfoLine {
    QString text;
    bool bold = false;
    bool italic = false;
    bool hidden = false; // written in the background colour: there, but seen only when selected
};

// The lines of the summary shown in the question area after loading.
QList<InfoLine> LoadedTestLines(const TestInfoData& test);
// The lines of the test information window.
QList<InfoLine> TestInfoLines(const TestInfoData& test);

// Replaces the control's content by the lines, one paragraph each. Hidden lines take `hiddenColor`;
// with detectLinks, web addresses in the text become links.
void WriteInfoLines(RichTextControl& control, const QList<InfoLine>& lines, const QColor& hiddenColor,
                    bool detectLinks);

// The summary in the question area, the window's drawing suspended meanwhile; `applyZoom` (the
// window's ApplyZoom) runs before drawing resumes. The caret ends at the start, in view.
void ShowLoadedTest(const TestInfoData& test, RichTextControl& questionText, QWidget& window,
                    const std::function<void()>& applyZoom = {});

// AShowTestInfo: the test information window, modal, made for this showing only.
void ShowTestInfo(const TestInfoData& test, QWidget* parent);

// aShowTestInstruction: the instruction in the text viewer when the test has one; returns when it
// is closed.
void ShowTestInstruction(const TestInfoData& test, QWidget* parent);
