#pragma once
// A question with the answers yes, no and cancel: one message box, a
// replaceable seam so that tests answer instead.

#include <QString>

#include <functional>

namespace app {

enum class Answer { kYes, kNo, kCancel };

using ChoiceAsker = std::function<Answer(const QString& title, const QString& text)>;

// Replaces the process-wide asker and returns the previous one; an empty
// function restores the default (a QMessageBox with Да, Нет and Отмена).
ChoiceAsker SetChoiceAsker(ChoiceAsker asker);

Answer AskChoice(const QString& text);

} // namespace app
