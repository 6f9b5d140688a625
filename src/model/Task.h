#pragma once
// One task of a test: kind, texts, picture, points, time limit, topic and the answer data of its kind.
#include <QByteArray>

#include <array>

class ByteReader;
class ByteWriter;

enum TaskKind : quint8 {
    NoKind = 0,
    SingleChoice = 1,
    MultipleChoice = 2,
    Ordering = 3,
    Matching = 4,
    TrueFalse = 5,
    InputNum = 6,
    InputText = 7,
    PointOnPicture = 8,
};

struct TArea {
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 0;
    qint32 Height = 0;
    // The edges belong to the area.
    bool Contains(qint64 x, qint64 y) const {
        return x >= Left && y >= Top && x <= qint64(Left) + Width && y <= qint64(Top) + Height;
    }
    bool operator==(const TArea&) const = default;
};

class TTask {
public:
    static constexpr int SlotCount = 10;

    explicit TTask(int kind = NoKind);

    quint8 Kind = NoKind;
    QByteArray Question;
    QByteArray Picture;
    qint32 Weight = 1;
    qint32 TimeLimit = 0;
    QByteArray Hint;
    qint32 HintPenalty = 0;
    QByteArray Explanation;
    qint32 ThemeId = 0;
    std::array<QByteArray, SlotCount> Variants;
    std::array<QByteArray, SlotCount> Matches;
    std::array<qint32, SlotCount> Keys{};
    double NumValue = 0;
    double NumFrom = 0;
    double NumTo = 0;
    bool NumIsRange = false;
    QByteArray TextAnswers;
    bool CaseSensitive = false;
    TArea Area;

    static bool HasVariants(int kind) { return kind >= SingleChoice && kind <= TrueFalse; }

    // Reads one stored record; false when the data ends early or a count is impossible.
    bool ReadTask(ByteReader& in);
    // Writes the record; kinds with variants always write all ten slots.
    void WriteTask(ByteWriter& out) const;

    int LastVariant() const;
    int LastMatch() const;
    bool IsKeyRight(int i) const { return i >= 0 && i < SlotCount && Keys[size_t(i)] >= 1; }

    bool operator==(const TTask&) const = default;
};
