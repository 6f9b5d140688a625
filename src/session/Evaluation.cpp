#include "Evaluation.h"

#include "model/TextCodec.h"
#include "model/Utils.h"

namespace {

constexpr char Semicolon = ';';

qint32 KeyOf(const TTask& task, qint32 v) {
    return v >= 0 && v < TTask::SlotCount ? task.Keys[size_t(v)] : 0;
}

int ListIndex(const TaskAnswer& answer, int row) {
    return answer.chosenIndex.value(row, -1);
}

QLocale NumberLocale(const QLocale& locale) {
    QLocale l = locale;
    // "1.5" must not read as 15 under a locale whose group separator is a full stop.
    l.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return l;
}

QByteArray Cp(const char16_t* text) {
    return TextCodec::ToCp1251(QStringView(text));
}

// Kinds 3 and 4: per variant "v-rank;" in variant order, 0 for no choice.
QByteArray RankText(const QList<qint32>& variantOrder, const TaskAnswer& answer) {
    QList<int> rankOf(variantOrder.size(), 0);
    for (int r = 0; r < variantOrder.size(); ++r) {
        const qint32 v = variantOrder[r];
        if (v >= 0 && v < rankOf.size())
            rankOf[v] = ListIndex(answer, r) + 1;
    }
    QByteArray text;
    for (int v = 0; v < rankOf.size(); ++v)
        text += QByteArray::number(v + 1) + '-' + QByteArray::number(std::max(rankOf[v], 0)) + Semicolon;
    return text;
}

QByteArray TrueFalseText(const QList<qint32>& variantOrder, const TaskAnswer& answer) {
    QList<int> choiceOf(variantOrder.size(), -1);
    for (int r = 0; r < variantOrder.size(); ++r) {
        const qint32 v = variantOrder[r];
        if (v >= 0 && v < choiceOf.size())
            choiceOf[v] = ListIndex(answer, r);
    }
    QByteArray text;
    for (int v = 0; v < choiceOf.size(); ++v) {
        text += QByteArray::number(v + 1) + '-';
        if (choiceOf[v] == 1)
            text += Cp(u"Так");
        else if (choiceOf[v] == 2)
            text += Cp(u"Ні");
        text += Semicolon;
    }
    return text;
}

} // namespace

QString FormatNumber(double x, const QLocale& locale) {
    return NumberLocale(locale).toString(x, 'g', 15);
}

QList<QByteArray> AnswerLines(const QByteArray& textAnswers) {
    QByteArray text = textAnswers;
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (text.isEmpty())
        return {};
    if (text.endsWith('\n'))
        text.chop(1);
    return text.split('\n');
}

Evaluation EvaluateAnswer(const TTask& task, const QList<qint32>& variantOrder, const TaskAnswer& answer,
                          const QLocale& locale) {
    Evaluation e;
    e.right = true;
    const int n = int(variantOrder.size());
    switch (task.Kind) {
    case SingleChoice:
        for (int r = 0; r < n; ++r) {
            if ((answer.chosenRow == r) != task.IsKeyRight(variantOrder[r]))
                e.right = false;
        }
        if (answer.chosenRow >= 0 && answer.chosenRow < n)
            e.answerText = QByteArray::number(variantOrder[answer.chosenRow] + 1);
        break;
    case MultipleChoice:
        for (int r = 0; r < n; ++r) {
            const bool ticked = answer.ticked.value(r, false);
            if (ticked == task.IsKeyRight(variantOrder[r])) {
                ++e.matches;
            } else {
                e.right = false;
                ++e.mismatches;
            }
            if (ticked)
                e.answerText += QByteArray::number(variantOrder[r] + 1) + Semicolon;
        }
        break;
    case Ordering:
    case Matching:
        for (int r = 0; r < n; ++r) {
            if (ListIndex(answer, r) + 1 == KeyOf(task, variantOrder[r])) {
                ++e.matches;
            } else {
                e.right = false;
                ++e.mismatches;
            }
        }
        e.answerText = RankText(variantOrder, answer);
        break;
    case TrueFalse:
        for (int r = 0; r < n; ++r) {
            const int k = ListIndex(answer, r);
            const qint32 key = KeyOf(task, variantOrder[r]);
            if (k > 0) {
                if (k == key)
                    ++e.matches;
                else
                    ++e.mismatches;
            }
            if (k != key)
                e.right = false;
        }
        e.answerText = TrueFalseText(variantOrder, answer);
        break;
    case InputNum: {
        e.answerText = answer.text;
        if (answer.text.isEmpty()) {
            e.right = false;
            break;
        }
        bool ok = false;
        double x = NumberLocale(locale).toDouble(TextCodec::FromCp1251(answer.text), &ok);
        if (!ok)
            x = 0;
        e.right = task.NumIsRange ? (task.NumFrom <= x && x <= task.NumTo) : x == task.NumValue;
        break;
    }
    case InputText: {
        e.answerText = answer.text;
        e.right = false;
        // A blank typed before or after the word, or left at the end of an accepted line by the
        // teacher, is not part of the answer; blanks inside it are.
        const QByteArray trimmed = TrimBlanks(answer.text);
        const QByteArray typed = task.CaseSensitive ? trimmed : TextCodec::UpperCp1251(trimmed);
        for (const QByteArray& accepted : AnswerLines(task.TextAnswers)) {
            const QByteArray line = TrimBlanks(accepted);
            if ((task.CaseSensitive ? line : TextCodec::UpperCp1251(line)) == typed) {
                e.right = true;
                break;
            }
        }
        break;
    }
    case PointOnPicture:
        // A point left over from an earlier task is not this pupil's answer: no point, no answer.
        if (!answer.point) {
            e.right = false;
            break;
        }
        e.right = task.Area.Contains(answer.point->x(), answer.point->y());
        e.answerText =
            "x=" + QByteArray::number(answer.point->x()) + "; y=" + QByteArray::number(answer.point->y());
        break;
    default:
        e.right = false;
        break;
    }
    return e;
}

Feedback BuildFeedback(const TTask& task, const QList<qint32>& variantOrder, const TaskAnswer& answer,
                       const TSettings& settings, const QLocale& locale) {
    Feedback f;
    const int n = int(variantOrder.size());
    auto collation = [&settings](qint32 number) -> std::optional<quint32> {
        if (number < 1 || number > qint32(settings.ColorCollation.size()))
            return std::nullopt; // a key outside the colour table gets no colour
        return settings.ColorCollation[size_t(number - 1)];
    };
    for (int r = 0; r < n; ++r) {
        const qint32 v = variantOrder[r];
        const qint32 key = KeyOf(task, v);
        const int k = ListIndex(answer, r);
        RowFeedback row;
        switch (task.Kind) {
        case SingleChoice:
        case MultipleChoice: {
            const bool chosen =
                task.Kind == SingleChoice ? answer.chosenRow == r : answer.ticked.value(r, false);
            if (chosen)
                row.variantColour = settings.ColorError;
            if (task.IsKeyRight(v)) {
                row.sign = QStringLiteral("+");
                row.variantColour = settings.ColorCorrect;
            } else {
                row.sign = QStringLiteral("-");
            }
            break;
        }
        case Ordering: {
            row.sign = QString::number(key);
            const quint32 c = k + 1 == key ? settings.ColorCorrect : settings.ColorError;
            row.variantColour = c;
            row.listColour = c;
            break;
        }
        case Matching:
            row.sign = QString::number(key);
            row.variantColour = collation(key);
            row.listColour = k + 1 == key ? settings.ColorCorrect : settings.ColorError;
            break;
        case TrueFalse: {
            row.sign = key == 1 ? QStringLiteral("+") : QStringLiteral("-");
            const quint32 c = k == key ? settings.ColorCorrect : settings.ColorError;
            row.variantColour = c;
            row.listColour = c;
            break;
        }
        default:
            break;
        }
        f.rows.append(row);
    }
    if (task.Kind == Matching) {
        // The right-hand item of each row of variants keeps its own colour, which its left partner
        // takes on; right-hand items below the last variant's row stay as they are.
        for (int r = 0; r < n; ++r)
            f.matchColours.append(collation(r + 1));
    }
    if (task.Kind == InputNum) {
        f.rightAnswer = task.NumIsRange
                            ? QStringLiteral("Верный ответ в диапазоне от %1 до %2.")
                                  .arg(FormatNumber(task.NumFrom, locale), FormatNumber(task.NumTo, locale))
                            : QStringLiteral("Верный ответ: %1.").arg(FormatNumber(task.NumValue, locale));
    } else if (task.Kind == InputText) {
        f.rightAnswer = QStringLiteral("Верный ответ: \"%1\".")
                            .arg(TextCodec::FromCp1251(TrimBlanks(AnswerLines(task.TextAnswers).value(0))));
    } else if (task.Kind == PointOnPicture) {
        f.area = task.Area;
    }
    f.message = QStringLiteral("Неправильно...\r\n") + f.rightAnswer;
    f.offerExplanation = !task.Explanation.isEmpty();
    return f;
}

QString ExplanationQuestion(const QString& message) {
    return message + QStringLiteral("\r\nПоказать пояснения?");
}
