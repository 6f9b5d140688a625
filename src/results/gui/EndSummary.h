#pragma once
// The end-of-test summary that replaces the task wording in the question area when a session
// finishes: how it ended, the task counts, (when the pupil may see them) the shares, points and
// grade, and the start, end and duration times.
#include <QLocale>

class QTextDocument;
class RichTextControl;
class TResultTest;
class TTest;

namespace SummaryColours {
// The grade and the notice that the teacher has the results.
inline constexpr int Red = 0xDC3232; // 220, 50, 50
} // namespace SummaryColours

// Writes the summary at the end of `doc`. `showUserResult` is the setting IsShowUserResult;
// percentages take the decimal separator of `locale`.
void WriteEndSummary(QTextDocument& doc, const TTest& test, const TResultTest& result, bool showUserResult,
                     const QLocale& locale);

// Replaces the question text by the summary, at the control's zoom, with the window's drawing
// suspended meanwhile, and shows its beginning.
void ShowEndSummary(RichTextControl& questionText, const TTest& test, const TResultTest& result,
                    bool showUserResult, const QLocale& locale = QLocale());
