#include "ShowResultForm.h"

#include "results/ResultChart.h"
#include "results/ResultFormat.h"

#include "model/ResultTest.h"
#include "model/TextCodec.h"
#include "model/Utils.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

const QColor OutlineColour(70, 70, 70);
const QColor ChartRed(220, 0, 0);
const QColor ChartGreen(0, 220, 0);
const QColor LabelGreen(0, 128, 0);
const QColor LabelGrey(128, 128, 128);

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int points, QRect geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setPointSize(points);
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

void SetColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void PaintChart(QWidget& box, const QColor& circle, std::initializer_list<std::pair<QColor, int>> wedges) {
    QPainter painter(&box);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(OutlineColour, 1));
    // The outline of the circle inscribed in the box lies on its outermost pixels.
    const QRectF rect = QRectF(0, 0, box.width(), box.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(circle);
    painter.drawEllipse(rect);
    for (const auto& [colour, percent] : wedges) {
        if (percent <= 0)
            continue;
        const ChartWedge w = WedgeOf(percent, box.size());
        if (w.IsEmpty())
            continue;
        painter.setBrush(colour);
        if (w.spanDegrees >= 360.0)
            painter.drawEllipse(rect);
        else
            painter.drawPie(rect, qRound(w.startDegrees * 16), qRound(w.spanDegrees * 16));
    }
}

} // namespace

TShowResultForm::TShowResultForm(QWidget* parent, const QLocale& locale) : QDialog(parent), m_locale(locale) {
    setObjectName(QStringLiteral("ShowResultForm"));
    setWindowTitle(QStringLiteral("Результати тесту"));
    QFont font;
    // Where Tahoma is missing, a sans serif of similar width keeps the captions beside their figures.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed")});
    font.setPointSize(8);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    const int left = 8;
    const int valueRight = 254; // right edge of the figures
    const int rowHeight = 24;
    int y = 10;
    QFont rowFont = font;
    rowFont.setPointSize(12);
    // The figures get the width of the widest they show; the captions take the rest.
    const int valueWidth = QFontMetrics(rowFont).horizontalAdvance(QStringLiteral("100,0%.")) + 2;
    auto row = [&](const QString& labelName, const QString& caption, const QString& valueName) {
        MakeLabel(this, labelName, caption, 12, QRect(left, y, valueRight - valueWidth - left, rowHeight));
        QLabel* value = MakeLabel(this, valueName, QString(), 12,
                                  QRect(valueRight - valueWidth, y, valueWidth, rowHeight),
                                  Qt::AlignRight | Qt::AlignVCenter);
        y += rowHeight + 2;
        return value;
    };
    m_countTask = row(QStringLiteral("Label1"), QStringLiteral("Всього завдань в тесті:"),
                      QStringLiteral("CountTaskLabel"));
    m_countAskTask = row(QStringLiteral("Label6"), QStringLiteral("Всього завдань задано:"),
                         QStringLiteral("CountAskTaskLabel"));
    m_countCorrectTask = row(QStringLiteral("Label3"), QStringLiteral("Із них правильно:"),
                             QStringLiteral("CountCorrectTaskLabel"));
    m_result =
        row(QStringLiteral("Label4"), QStringLiteral("Результативність:"), QStringLiteral("ResultLabel"));
    m_countTask->setText(QStringLiteral("100"));
    m_countAskTask->setText(QStringLiteral("100"));
    m_countCorrectTask->setText(QStringLiteral("100"));
    m_result->setText(QStringLiteral("100,0%"));

    const int chartTop = 28;
    const int tasksLeft = 264;
    const int pointsLeft = tasksLeft + ChartSize + 10;
    SetColour(MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("Питання:"), 8,
                        QRect(tasksLeft, chartTop - 18, ChartSize, 16)),
              LabelGrey);
    SetColour(MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("Бали:"), 8,
                        QRect(pointsLeft, chartTop - 18, ChartSize, 16)),
              LabelGrey);
    m_tasksChart = new QWidget(this);
    m_tasksChart->setObjectName(QStringLiteral("PaintBox"));
    m_tasksChart->setGeometry(tasksLeft, chartTop, ChartSize, ChartSize);
    m_tasksChart->installEventFilter(this);
    m_pointsChart = new QWidget(this);
    m_pointsChart->setObjectName(QStringLiteral("PaintBox1"));
    m_pointsChart->setGeometry(pointsLeft, chartTop, ChartSize, ChartSize);
    m_pointsChart->installEventFilter(this);

    m_yourScore = MakeLabel(this, QStringLiteral("YourScore"),
                            QStringLiteral("Набрано балів: %1.1f із %d можливих.\nВаш результат: %1.1f%%."),
                            12, QRect((ClientWidth - 312) / 2, 114, 312, 38), Qt::AlignCenter);
    // Two lines of a taller fallback font need more than the 38 pixels that Tahoma fills.
    m_yourScore->setFixedHeight(std::max(38, 2 * m_yourScore->fontMetrics().lineSpacing() + 2));
    SetColour(m_yourScore, LabelGreen);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 164, ClientWidth - 16, 4);

    m_yourMark = MakeLabel(this, QStringLiteral("YourMark"), QStringLiteral("Ваша оцінка:"), 14,
                           QRect(0, 176, ClientWidth, 32), Qt::AlignCenter);
    QFont markFont = m_yourMark->font();
    markFont.setBold(true);
    m_yourMark->setFont(markFont);
    SetColour(m_yourMark, LabelGreen);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    m_ok->setDefault(true);
    m_ok->setGeometry(8, ClientHeight - 8 - 34, ClientWidth - 16, 34);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TShowResultForm::SetValues(const TResultTest& r) {
    m_values = {r.UserName, r.UserGroup, r.AskCount, r.AskedCount, r.RightCount,
                r.Mark,     r.MarkName,  r.MaxScore, r.Score};
}

void TShowResultForm::FormShow() {
    const Values& v = m_values;
    if (v.AskCount < 1)
        return;
    const QByteArray who = TrimBlanks(v.UserName + ' ' + v.UserGroup);
    setWindowTitle(QStringLiteral("Результати тесування (%1)").arg(TextCodec::FromCp1251(who)));
    m_countTask->setText(QString::number(v.AskCount));
    m_countAskTask->setText(QString::number(v.AskedCount));
    m_countCorrectTask->setText(QString::number(v.RightCount));
    m_result->setText(
        QStringLiteral("%1%.").arg(OneDecimal(SharePercent(qint64(v.RightCount), v.AskCount), m_locale)));
    m_yourScore->setText(QStringLiteral("Набрано балів: %1 із %2 можливих.\nВаш результат: %3%.")
                             .arg(OneDecimal(v.Score, m_locale))
                             .arg(v.MaxScore)
                             .arg(OneDecimal(SharePercent(v.Score, v.MaxScore), m_locale)));
    m_yourMark->setText(
        QStringLiteral("Ваша оцінка: %1")
            .arg(v.MarkName.isEmpty() ? QString::number(v.Mark) : TextCodec::FromCp1251(v.MarkName)));
    m_tasksChart->update();
    m_pointsChart->update();
}

void TShowResultForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        const QRect frame = owner->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}

bool TShowResultForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        if (watched == m_tasksChart) {
            PaintBoxPaint();
            return true;
        }
        if (watched == m_pointsChart) {
            PaintBox1Paint();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TShowResultForm::PaintBoxPaint() {
    const Values& v = m_values;
    PaintChart(*m_tasksChart, Qt::white,
               {{ChartRed, ChartPercent(v.AskedCount, v.AskCount)},
                {ChartGreen, ChartPercent(v.RightCount, v.AskCount)}});
}

void TShowResultForm::PaintBox1Paint() {
    const Values& v = m_values;
    PaintChart(*m_pointsChart, ChartRed, {{ChartGreen, ChartPercent(v.Score, v.MaxScore)}});
}

void ShowResultWindow(TShowResultForm& form, const TResultTest& result) {
    form.SetValues(result);
    form.exec();
}
