#pragma once
// The answer area of the main window during a session: the widgets of each
// task kind laid out and filled for one presentation (BuildAnswerArea and the filling of
// AAskTaskExecute), read back as the engine's answer, the reactions to every touch of an answer
// (VariantClick), the filter of the number field (EditInputNumKeyPress), the marker on the picture
// (ImageMouseDown) and the marks and colours of a wrong answer in education mode.
#include "session/Evaluation.h"
#include "session/SessionPorts.h"

#include <QList>
#include <QLocale>
#include <QObject>
#include <QPalette>
#include <QPointer>

#include <functional>

class Prompts;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QRadioButton;
class RichTextControl;
class TStudentMainForm;

class AnswerArea final : public QObject {
public:
    // `locale` is the one the engine reads numbers with: the number field types its separator.
    AnswerArea(TStudentMainForm& form, Prompts& prompts, const QLocale& locale);

    // Lays out the answer area for the task and fills it in the presentation's variant order; the
    // task's picture for a point-on-picture task comes from `pictureFolder`. Nothing of an earlier
    // answer stays.
    void Present(const TaskPresentation& presentation, const QString& pictureFolder);
    // No task on screen any more (the session ended): touches are ignored, nothing is read.
    void Forget();
    int Kind() const { return m_kind; }

    // The answer as it stands on screen.
    TaskAnswer CurrentAnswer() const;
    // Puts an answer read earlier from this very presentation's widgets back on them; the check is
    // enabled when the pupil had touched anything.
    void Restore(const TaskAnswer& answer);

    // Education mode: the marks and colours of a wrong answer, and the colours put back.
    void ShowFeedback(const Feedback& feedback);
    void ClearFeedback();

    // The pupil touched the answer: the check is enabled, unless two ranks of an ordering task are
    // equal.
    void VariantClick();
    // A key typed into the number field; true when it was swallowed (or typed in another form).
    bool EditInputNumKeyPress(QKeyEvent& event);
    // A press on the picture at a point in picture coordinates: the marker moves there.
    void ImageMouseDown(const QPoint& point);

    // The sound of a refused key; tests count them.
    std::function<void()> Beep;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildAnswerArea(const TTask& task);
    void SetCheckEnabled(bool on);
    void FocusFirstAnswerWidget();
    void Paint(QWidget& widget, quint32 colour);

    RichTextControl& VariantText1(int r) const;
    RichTextControl& VariantText2(int r) const;
    QRadioButton& Radio(int r) const;
    QCheckBox& Check(int r) const;
    QComboBox& Combo(int r) const;
    QLabel& Mark(int r) const;
    QLabel& Number(int r) const;

    TStudentMainForm& m_form;
    QObject* m_editInputNum = nullptr;
    QObject* m_image = nullptr;
    Prompts& m_prompts;
    QLocale m_locale;
    int m_kind = 0;
    int m_rows = 0;          // rows with a variant
    bool m_pointSet = false; // the pupil put the marker on the picture of this task
    // Widgets painted by the feedback with the palettes they had before.
    QList<std::pair<QPointer<QWidget>, QPalette>> m_painted;
};
