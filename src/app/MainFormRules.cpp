#include "MainFormRules.h"

#include "MainFormTexts.h"
#include "model/Test.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QSet>

CommandRuleState EvaluateCommandRules(const CommandRuleInput& in) {
    CommandRuleState r;
    const bool noTest = in.state == SessionState::NoTest;
    const bool loaded = in.state == SessionState::TestLoaded;
    const bool testing = in.state == SessionState::Testing;
    const bool sendResult = in.settings && in.settings->IsSendResult;
    r.openTest = noTest;
    r.getTest = noTest && sendResult && !in.fetching;
    r.closeTest = loaded;
    r.beginTest = loaded;
    r.endTest = testing;
    r.checkAskTaskAllowed = testing;
    r.showTestInfo = !noTest;
    r.showTestInstruction = !noTest && in.test && !in.test->Instruction.isEmpty();
    r.settingsCommands = !testing;
    r.showREtoViewer = testing;
    r.previousFiles = in.recentCount > 0 && noTest;
    r.resetProgress = !testing;
    if (in.settings) {
        r.isSaveResult = in.settings->IsSaveResult;
        r.isSaveProtectionResult = in.settings->IsSaveProtectionResult;
        r.isSaveConfig = in.settings->IsSaveConfig;
        r.isUseWindowSettings = in.settings->IsUseWindowSettings;
    }
    r.fontSizeUp = in.fontDelta > 0;
    r.fontSizeNormal = in.fontDelta == 0;
    r.fontSizeDown = in.fontDelta < 0;
    r.zoomUp = in.zoom > 100;
    r.zoomNormal = in.zoom == 100;
    r.zoomDown = in.zoom < 100;
    return r;
}

int NextZoom(int zoom, int tag) {
    if (tag == 0)
        return 100;
    return std::max(MinZoom, zoom + tag);
}

std::optional<int> DigitKeyRow(int key) {
    if (key == Qt::Key_0)
        return 9;
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return key - Qt::Key_1;
    return std::nullopt;
}

bool IsTestFileName(const QString& path) {
    // Only the last part of the name counts: "a.qzf/b" is not a test file.
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.mid(dot).toUpper() == QStringLiteral(".QZF");
}

StatusPanelTexts StatusTexts(SessionState state, const TTest* test, const QDateTime& now) {
    using namespace MainFormTexts;
    StatusPanelTexts t;
    auto& p = t.panels;
    switch (state) {
    case SessionState::NoTest:
        p[0] = StatusNoTest.toString();
        break;
    case SessionState::TestLoaded:
        p[0] = StatusTestLoaded.toString();
        break;
    case SessionState::Testing:
        p[0] = StatusTesting.toString();
        break;
    }
    if (state != SessionState::Testing) {
        p[1] = QString();
        p[2] = now.toString(QStringLiteral("dd.MM.yy"));
        p[3] = now.toString(QStringLiteral("hh:mm"));
        p[10] = QString();
        p[11] = QString();
    }
    const bool flags = state != SessionState::NoTest && test;
    p[6] = flags && test->EducationMode ? FlagEducation.toString() : QString();
    p[7] = flags && test->PenaliseWrong ? FlagPenalise.toString() : QString();
    p[8] = flags && test->AllowSkipping ? FlagSkipping.toString() : QString();
    p[9] = flags && test->MonoMode ? FlagMono.toString() : QString();
    return t;
}

QRect FitToScreen(const QRect& client, const QMargins& frame, const QRect& available, const QSize& minimum) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize size(std::max(minimum.width(), std::min(client.width(), available.width() - frameWidth)),
                     std::max(minimum.height(), std::min(client.height(), available.height() - frameHeight)));
    QRect outer(QPoint(0, 0), QSize(size.width() + frameWidth, size.height() + frameHeight));
    outer.moveCenter(available.center());
    // A window larger than the screen keeps its title bar on the screen.
    outer.moveTop(std::max(outer.top(), available.top()));
    outer.moveLeft(std::max(outer.left(), available.left()));
    return QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), size);
}

namespace {
// The access letter of a caption, or a null character: the character after a single ampersand.
QChar AccessLetter(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i; // "&&" is an ampersand of the text
            continue;
        }
        return caption[i + 1].toLower();
    }
    return {};
}
} // namespace

QStringList WithAccessLetters(const QStringList& captions) {
    QSet<QChar> used;
    for (const QString& caption : captions) {
        if (const QChar letter = AccessLetter(caption); !letter.isNull())
            used.insert(letter);
    }
    QStringList result;
    for (const QString& caption : captions) {
        if (!AccessLetter(caption).isNull() || caption.isEmpty()) {
            result.append(caption);
            continue;
        }
        QString lettered = caption;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar c = caption[i].toLower();
            if (caption[i] == u'&' || !c.isLetterOrNumber() || used.contains(c))
                continue;
            used.insert(c);
            lettered.insert(i, u'&');
            break;
        }
        result.append(lettered);
    }
    return result;
}
