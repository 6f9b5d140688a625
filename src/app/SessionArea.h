#pragma once
// The session area of the main window: the wording with its picture, the answer panels of every
// task kind, the answer grid, the task list and the bottom bar with its buttons and progress. It
// owns these widgets, the sizes of the grid and the idle layout; the answer area and the session
// view decide what shows when.
#include <QList>
#include <QSize>
#include <QWidget>

#include <array>
#include <optional>

class QAction;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSplitter;
class PictureLabel;
class RichTextControl;

// A size of a row or column of the answer grid: absolute pixels or per cent of what is left; 0
// hides it.
struct GridSize {
    bool percent = false;
    int value = 0;
};

// The commands that the area's buttons stand for; the buttons follow their captions, enabled
// states and visibility.
struct SessionAreaActions {
    QAction* checkAskTask = nullptr;
    QAction* iDoNotKnow = nullptr;
    QAction* skippingTask = nullptr;
    QAction* showPromptTask = nullptr;
};

class TSessionArea : public QWidget {
    Q_OBJECT
public:
    static constexpr int GridColumns = 7;
    static constexpr int GridRows = 10;
    // The answer-widget table: row r of each kind of control at slot r + 10 × kind.
    enum AnswerSlot {
        SlotRE1 = 0,
        SlotRE2 = 10,
        SlotRadio = 20,
        SlotCheck = 30,
        SlotCombo = 40,
        SlotLabel1 = 50,
        SlotLabel2 = 60
    };

    TSessionArea(const SessionAreaActions& actions, QWidget* parent);

    // ---- The widgets, by their roles ----
    QLabel* QuestionLabel() const { return m_questionLabel; }
    QWidget* PanelQuestion() const { return m_panelQuestion; }
    RichTextControl* QuestionText() const { return m_questionText; }
    PictureLabel* QuestionImage() const { return m_questionImage; }
    QSplitter* Splitter() const { return m_splitter; }
    QWidget* PanelPromptTask() const { return m_panelPromptTask; }
    QPushButton* PromptButton() const { return m_promptButton; }
    QLabel* VariantLabel() const { return m_variantLabel; }
    QWidget* PanelInputNum() const { return m_panelInputNum; }
    QLineEdit* EditInputNum() const { return m_editInputNum; }
    QWidget* PanelInputText() const { return m_panelInputText; }
    QLineEdit* EditInputText() const { return m_editInputText; }
    QWidget* PanelImgRect() const { return m_panelImgRect; }
    QScrollArea* ScrollBox() const { return m_scrollBox; }
    PictureLabel* Image() const { return m_image; }
    QWidget* ShapePoint() const { return m_shapePoint; }
    QWidget* Shape() const { return m_shape; }
    QWidget* PanelVariant() const { return m_panelVariant; }
    QGridLayout* Grid() const { return m_grid; }
    QWidget* PanelGoToTask() const { return m_panelGoToTask; }
    // The task list of a session that allows skipping (ComboBoxEx1).
    QComboBox* TaskList() const { return m_comboBoxEx1; }
    QPushButton* GoCheckButton() const { return m_goCheck; }
    QProgressBar* Progress() const { return m_progress; }
    QWidget* AnswerWidget(int slot) const { return m_answerWidgets.at(size_t(slot)); }
    QList<RichTextControl*> VariantTexts1() const;
    QList<RichTextControl*> VariantTexts2() const;

    // ---- The grid ----
    void SetGridColumnSizes(const std::array<GridSize, GridColumns>& sizes);
    void SetGridRowSizes(const std::array<GridSize, GridRows>& sizes);
    void SetGridSizes(const std::array<GridSize, GridColumns>& columns,
                      const std::array<GridSize, GridRows>& rows);
    const std::array<GridSize, GridColumns>& GridColumnSizes() const { return m_columnSizes; }
    const std::array<GridSize, GridRows>& GridRowSizes() const { return m_rowSizes; }
    // Applies the sizes: stretches, minimum sizes and which cells show.
    void ApplyGridSizes();
    // Matching texts share the width; with a restored window placement the drop-down lists are
    // centred in their rows.
    void GridPanelResize();
    void SetListsCentred(bool on) { m_centreLists = on; }

    // ---- Layouts and texts ----
    // The idle layout, between sessions.
    void ResetAnswerArea();
    // A point task's picture: the wording makes room for it; the next task puts the pupil's
    // division of the window back.
    void FitAnswerPicture(const QSize& picture);
    void RestoreAnswerSplit();
    void ApplyZoomToTexts(int zoom);
    // A font-size step of `delta` points on the wording and every variant text.
    void ResizeTaskTexts(int delta);
    // A digit key's row on the widgets of a task of `kind`, as a click would; false when that row
    // takes no such answer.
    bool ChooseRowByDigit(int kind, int row);

signals:
    void QuestionImageClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildAnswerGrid(QWidget* parent);

    SessionAreaActions m_actions;
    bool m_centreLists = false;
    // The splitter's sizes before a point task's picture took room.
    std::optional<QList<int>> m_savedSplitter;

    QLabel* m_questionLabel = nullptr;
    QWidget* m_panelQuestion = nullptr;
    RichTextControl* m_questionText = nullptr;
    PictureLabel* m_questionImage = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_panelPromptTask = nullptr;
    QLabel* m_variantLabel = nullptr;
    QWidget* m_panelInputNum = nullptr;
    QLineEdit* m_editInputNum = nullptr;
    QWidget* m_panelInputText = nullptr;
    QLineEdit* m_editInputText = nullptr;
    QWidget* m_panelImgRect = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    PictureLabel* m_image = nullptr;
    QWidget* m_shapePoint = nullptr;
    QWidget* m_shape = nullptr;
    QWidget* m_panelVariant = nullptr;
    QWidget* m_gridPanel = nullptr;
    QGridLayout* m_grid = nullptr;
    QWidget* m_panelGoToTask = nullptr;
    QComboBox* m_comboBoxEx1 = nullptr;
    QPushButton* m_goCheck = nullptr;
    QPushButton* m_promptButton = nullptr;
    QPushButton* m_dontKnowButton = nullptr;
    QPushButton* m_skipButton = nullptr;
    QProgressBar* m_progress = nullptr;
    std::array<QWidget*, 70> m_answerWidgets{};
    std::array<GridSize, GridColumns> m_columnSizes{};
    std::array<GridSize, GridRows> m_rowSizes{};
};
