#pragma once
// What the name dialog checks when the pupil confirms: blanks are collapsed, then the name and the
// group must each match the configured regular expression. Pure functions, so that the dialog
// stays thin and the rules are tested without a window.
//
// Expressions and texts are code page 1251. An expression is searched for anywhere in the text,
// letter case counts, ^ and $ match only at the very start and end, bracket ranges run over the
// byte values of the code page, and the ranges А-Я and а-я also take in Ё and ё.
#include "model/Utils.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace NameRules {

// The shared blank rule of the name dialog.
using ::CollapseBlanks;

struct ExpressionMatch {
    bool valid = true; // false: the expression does not compile; `error` says why
    bool matched = false;
    QString error;
};

// An empty expression accepts everything.
ExpressionMatch MatchExpression(const QByteArray& expression, const QByteArray& text);

enum class Verdict { Accepted, NameRefused, GroupRefused, BadExpression };

struct Check {
    Verdict verdict = Verdict::Accepted;
    QByteArray name; // collapsed, as the fields should show them afterwards
    QByteArray group;
    QString error; // for BadExpression: the expression engine's message
};

// The dialog's OK: collapses both fields and checks the name first; a refused name is reported
// whatever the group holds. The program's built-in default texts ("Фамилия Имя", "Класс") are
// refused whatever the expressions say.
Check CheckNameAndGroup(const QByteArray& name, const QByteArray& group, const QByteArray& nameExpression,
                        const QByteArray& groupExpression);

// The balloon shown at a refused field.
QString RefusalTitle();
QString RefusalText(const QByteArray& example);

// "Доброй ночи!" before 06:00, "Доброе утро!" until noon, "Добрый день!" until 18:00, then
// "Добрый вечер!".
QString Greeting(int hour);
// The greeting followed by the question, as the dialog's heading shows it.
QString HelloText(const QDateTime& now);

} // namespace NameRules
