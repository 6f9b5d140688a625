#pragma once
// The results window: the counts of a finished session, the share of right answers, the points
// and the grade, with a pie chart of the tasks and one of the points. Created once and reused; it
// keeps its own copy of the figures it shows, taken from the result record just before it opens.
#include <QByteArray>
#include <QDialog>
#include <QLocale>

class QLabel;
class QPushButton;
class TResultTest;

class TShowResultForm : public QDialog {
    Q_OBJECT
public:
    // The window's copy of the session's figures.
    struct Values {
        QByteArray UserName;
        QByteArray UserGroup;
        qint32 AskCount = 0;
        qint32 AskedCount = 0;
        qint32 RightCount = 0;
        qint32 Mark = 0;
        QByteArray MarkName;
        qint32 MaxScore = 0;
        double Score = 0;
    };

    static constexpr int ClientWidth = 428;
    static constexpr int ClientHeight = 291;
    static constexpr int ChartSize = 75;

    explicit TShowResultForm(QWidget* parent = nullptr, const QLocale& locale = QLocale());

    void SetValues(const TResultTest& result);
    const Values& CurrentValues() const { return m_values; }
    // Fills the labels and the caption from the values, as every showing of the window does. With
    // no tasks counted nothing changes and the labels keep what they showed.
    void FormShow();

    QLabel* CountTaskLabel() const { return m_countTask; }
    QLabel* CountAskTaskLabel() const { return m_countAskTask; }
    QLabel* CountCorrectTaskLabel() const { return m_countCorrectTask; }
    QLabel* ResultLabel() const { return m_result; }
    QLabel* YourScore() const { return m_yourScore; }
    QLabel* YourMark() const { return m_yourMark; }
    QWidget* PaintBox() const { return m_tasksChart; }
    QWidget* PaintBox1() const { return m_pointsChart; }
    QPushButton* OkButton() const { return m_ok; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintBoxPaint();
    void PaintBox1Paint();

    Values m_values;
    QLocale m_locale;
    QLabel* m_countTask;
    QLabel* m_countAskTask;
    QLabel* m_countCorrectTask;
    QLabel* m_result;
    QLabel* m_yourScore;
    QLabel* m_yourMark;
    QWidget* m_tasksChart;
    QWidget* m_pointsChart;
    QPushButton* m_ok;
};

// Copies the figures of the finished session into the window and shows it modally; returns when
// the pupil closes it.
void ShowResultWindow(TShowResultForm& form, const TResultTest& result);
