#include "DetailReport.h"

#include "RichWriter.h"

#include "model/ResultTest.h"
#include "model/Task.h"
#include "model/Test.h"
#include "model/TestLoader.h"
#include "model/TextCodec.h"
#include "ports/Prompts.h"
#include "session/Evaluation.h"
#include "session/RandomGenerator.h"
#include "session/SessionTexts.h"
#include "ui/gui/PictureLoader.h"
#include "ui/gui/RichTextControl.h"
#include "ui/gui/TextViewForm.h"
#include "ui/gui/UiTexts.h"

#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace {

// The prompt above the body; number and text tasks say "write" here rather than "type".
QString ReportPrompt(const TTask& task) {
    switch (task.Kind) {
    case InputNum:
        return QStringLiteral("Запишіть число:");
    case InputText:
        return QStringLiteral("Запишіть відповідь:");
    default:
        return SessionTexts::TaskPrompt(task.Kind, task.LastVariant());
    }
}

class ReportBuilder {
public:
    ReportBuilder(QTextDocument& doc, const TTest& test, const DetailReportSources& sources)
        : m_w(doc), m_test(test), m_services(sources) {}

    void Header() {
        m_w.AddStyle(RichWriter::Italic);
        m_w.ChangeSize(-2);
        m_w.SetColour(QColor::fromRgb(ReportColours::Grey));
        m_w.AddLine(QStringLiteral("Тест: %1").arg(m_test.FileName));
        m_w.SetAlignment(Qt::AlignHCenter);
        m_w.AddStyle(RichWriter::Bold);
        m_w.ChangeSize(+2);
        m_w.AddLine(m_test.Title.isEmpty() ? QStringLiteral("Тест") : TextCodec::FromCp1251(m_test.Title));
        m_w.SetAlignment(Qt::AlignLeft);
    }

    void Task(int position, const TTask& task, qint32 points) {
        m_w.AddEmptyLine();
        m_w.AddStyle(RichWriter::Bold);
        m_w.AddStyle(RichWriter::Underline);
        m_w.SetColour(QColor::fromRgb(ReportColours::DarkRed));
        m_w.AddLine(QStringLiteral("Задание # %1 - %2!")
                        .arg(position + 1)
                        .arg(points > 0 ? QStringLiteral("верно") : QStringLiteral("ошибка")));
        m_w.AddStyle(RichWriter::Italic);
        m_w.ChangeSize(-2);
        m_w.AddLine(QStringLiteral("Вопрос:"));
        m_w.AppendFragment(task.Question);
        if (!task.Picture.isEmpty() && task.Kind != PointOnPicture) {
            m_w.AddStyle(RichWriter::Italic);
            m_w.ChangeSize(-2);
            m_w.AddLine(QStringLiteral("Изображение:"));
            const QImage picture = LoadTaskPicture(task);
            if (!picture.isNull()) {
                m_w.InsertPicture(picture);
                m_w.AddEmptyLine();
            }
        }
        m_w.AddEmptyLine();
        m_w.AddStyle(RichWriter::Italic);
        m_w.ChangeSize(-2);
        const QString prompt = ReportPrompt(task);
        if (!prompt.isEmpty())
            m_w.AddLine(prompt);
        if (TTask::HasVariants(task.Kind))
            VariantTask(task);
        else if (task.Kind == InputNum || task.Kind == InputText)
            TypedTask(task);
        else if (task.Kind == PointOnPicture)
            PointTask(task);
        m_w.AddEmptyLine();
    }

    void End() {
        m_w.SetAlignment(Qt::AlignHCenter);
        m_w.AddLine(QStringLiteral("Кінець"));
    }

private:
    QImage LoadTaskPicture(const TTask& task) {
        const QString path = AttachmentPath(m_test, task.Picture);
        const QImage picture = m_services.loadPicture ? m_services.loadPicture(path) : LoadPictureFile(path);
        if (picture.isNull())
            m_services.prompts.ShowMessage(QString::fromUtf16(UiTexts::ProgramTitle),
                                           QString::fromUtf16(UiTexts::PictureLoadError), MsgIcon::None);
        return picture;
    }

    void RightAnswer(const QString& text) {
        m_w.AddEmptyLine();
        m_w.SetColour(QColor::fromRgb(ReportColours::Green));
        m_w.AddLine(text);
    }

    void VariantTask(const TTask& task) {
        const int n = task.LastVariant();
        QList<qint32> order(n);
        for (int j = 0; j < n; ++j)
            order[j] = j;
        if (m_test.RandomVariantOrder != 0)
            ShuffleIndexes(order, m_services.random);
        const int w = task.Weight;
        auto key = [&](int j) { return task.Keys[size_t(order[j])]; };

        if (task.Kind == Matching) {
            for (int k = 0; k < task.LastMatch(); ++k) {
                m_w.Insert(QStringLiteral("%1) ").arg(k + 1));
                m_w.AppendFragment(task.Matches[size_t(k)]);
            }
            m_w.AddEmptyLine();
        }
        const bool numbered = task.Kind == SingleChoice || task.Kind == MultipleChoice;
        for (int j = 0; j < n; ++j) {
            m_w.Insert(numbered ? QStringLiteral("%1) ").arg(j + 1) : QStringLiteral("__ "));
            m_w.AppendFragment(task.Variants[size_t(order[j])]);
        }

        QString answer;
        switch (task.Kind) {
        case SingleChoice: {
            int right = 0;
            for (int j = 0; j < n; ++j)
                if (task.IsKeyRight(order[j]))
                    right = j + 1;
            answer = QStringLiteral("Верный ответ (%1 б.): %2;").arg(w).arg(right);
            break;
        }
        case MultipleChoice:
            answer = QStringLiteral("Верные ответы (%1 б.): ").arg(w);
            for (int j = 0; j < n; ++j)
                if (task.IsKeyRight(order[j]))
                    answer += QStringLiteral("%1; ").arg(j + 1);
            break;
        case Ordering:
        case Matching:
            answer = QStringLiteral("Верные ответы (%1 б.): ").arg(w);
            for (int j = 0; j < n; ++j)
                answer += QStringLiteral("\n\t%1; ").arg(key(j));
            break;
        case TrueFalse:
            answer = QStringLiteral("Верные ответы (%1 б.): ").arg(w);
            for (int j = 0; j < n; ++j) {
                switch (key(j)) {
                case 0:
                    answer += QStringLiteral("\n\t; ");
                    break;
                case 1:
                    answer += QStringLiteral("\n\tДа; ");
                    break;
                case 2:
                    answer += QStringLiteral("\n\tНет; ");
                    break;
                default:
                    answer += QStringLiteral("\n\t");
                    break;
                }
            }
            break;
        default:
            break;
        }
        RightAnswer(answer);
    }

    void TypedTask(const TTask& task) {
        m_w.AddLine(QString(42, QLatin1Char('_')));
        const int w = task.Weight;
        QString answer;
        if (task.Kind == InputNum)
            answer = task.NumIsRange ? QStringLiteral("Верный ответ (%1 б.) в диапазоне от %2 до %3.")
                                           .arg(w)
                                           .arg(FormatNumber(task.NumFrom, m_services.locale),
                                                FormatNumber(task.NumTo, m_services.locale))
                                     : QStringLiteral("Верный ответ (%1 б.): %2.")
                                           .arg(w)
                                           .arg(FormatNumber(task.NumValue, m_services.locale));
        else
            answer = QStringLiteral("Верный ответ (%1 б.): \"%2\".")
                         .arg(w)
                         .arg(TextCodec::FromCp1251(AnswerLines(task.TextAnswers).value(0)));
        RightAnswer(answer);
    }

    void PointTask(const TTask& task) {
        if (task.Picture.isEmpty())
            return;
        const QImage picture = LoadTaskPicture(task);
        if (picture.isNull())
            return;
        m_w.InsertPicture(picture);
        m_w.AddEmptyLine();
        RightAnswer(QStringLiteral("Верный ответ (%1 б.):").arg(task.Weight));
        const TArea& a = task.Area;
        m_w.InsertPicture(MarkArea(picture, a.Left, a.Top, a.Width, a.Height));
        m_w.AddEmptyLine();
    }

    RichWriter m_w;
    const TTest& m_test;
    const DetailReportSources& m_services;
};

} // namespace

QString DetailReportCaption() {
    return QStringLiteral("Отчет по прохождению теста");
}

QImage MarkArea(const QImage& picture, int left, int top, int width, int height) {
    QImage marked(picture.size(), QImage::Format_RGB32);
    marked.fill(Qt::white);
    QPainter painter(&marked);
    painter.drawImage(0, 0, picture);
    painter.setPen(QPen(QColor(255, 0, 0), 1));
    painter.setBrush(QBrush(QColor(0, 128, 0), Qt::DiagCrossPattern));
    // The edges belong to the area, so the outline is drawn on them.
    painter.drawRect(QRect(left, top, width, height));
    return marked;
}

void WriteDetailReport(QTextDocument& doc, const TTest& test, std::span<const TTask> tasks,
                       const TResultTest& result, const DetailReportSources& sources) {
    // One edit block for the whole report: the document's frames (the tables of the wordings) are
    // found again over the whole document at the end of every outermost edit, which at every
    // wording would cost the square of the report's length.
    QTextCursor edit(&doc);
    edit.beginEditBlock();
    ReportBuilder report(doc, test, sources);
    report.Header();
    for (int i = 0; i < result.Order.size(); ++i) {
        const qint32 t = result.Order[i];
        if (t < 0 || size_t(t) >= tasks.size())
            continue; // an order entry outside the test has no task to show
        report.Task(i, tasks[size_t(t)], result.GetTaskPoints(t));
    }
    report.End();
    edit.endEditBlock();
}

void ShowDetailReport(QWidget& owner, const RichTextControl& questionText, const TTest& test,
                      std::span<const TTask> tasks, const TResultTest& result,
                      const DetailReportSources& sources) {
    // Built in a document of its own, which no layout follows while it grows (a control's would be
    // laid out again at every insertion), and shown only when complete; the pupil starts reading
    // at the top.
    auto report = std::make_unique<QTextDocument>();
    report->setUndoRedoEnabled(false);
    report->setDefaultFont(questionText.BaseFont());
    WriteDetailReport(*report, test, tasks, result, sources);
    ViewRichDocument(std::move(report), TextCodec::ToCp1251(DetailReportCaption()), &owner);
}
