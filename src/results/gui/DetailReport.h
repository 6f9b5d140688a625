#pragma once
// The detailed report of a finished session: every task of the session's order, asked or not, with
// its wording, picture and variants, followed by the right answer and the task's points. The
// report shows the variants in an order of its own (drawn again when the test shuffles variants).
#include <QByteArray>
#include <QImage>
#include <QLocale>

#include <functional>
#include <span>

class Prompts;
class QTextDocument;
class QWidget;
class RandomGenerator;
class RichTextControl;
class TResultTest;
class TTask;
class TTest;

namespace ReportColours {
inline constexpr int Grey = 0x808080;
inline constexpr int DarkRed = 0x800000;
inline constexpr int Green = 0x008000;
} // namespace ReportColours

// The viewer's caption.
QString DetailReportCaption();

struct DetailReportSources {
    RandomGenerator& random; // variant order, when the test shuffles variants
    Prompts& prompts;        // tells the pupil about a picture that cannot be loaded
    QLocale locale;          // the pupil's decimal separator
    // Reads a picture file, a null image when it cannot be loaded; LoadPictureFile when not set.
    std::function<QImage(const QString& path)> loadPicture;
};

// Writes the report at the end of `doc`, in the document's default font.
void WriteDetailReport(QTextDocument& doc, const TTest& test, std::span<const TTask> tasks,
                       const TResultTest& result, const DetailReportSources& sources);

// A picture of a point-on-picture task with its right area drawn on a copy: red outline, green
// diagonal-cross hatch through which the picture stays visible.
QImage MarkArea(const QImage& picture, int left, int top, int width, int height);

// Builds the report in a hidden control with the font of `questionText` and shows it modally in
// the text viewer; returns when the viewer is closed. The clipboard is not used.
void ShowDetailReport(QWidget& owner, const RichTextControl& questionText, const TTest& test,
                      std::span<const TTask> tasks, const TResultTest& result,
                      const DetailReportSources& sources);
