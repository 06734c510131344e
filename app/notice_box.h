#pragma once
// A warning that follows work that succeeded: one message box with the
// warning icon, a replaceable seam so that tests read the text instead.

#include <QString>

#include <functional>

namespace app {

using NoticeShower = std::function<void(const QString& title, const QString& text)>;

// Replaces the process-wide shower and returns the previous one; an empty
// function restores the default (a QMessageBox with one OK button).
NoticeShower SetNoticeShower(NoticeShower shower);

void ShowNotice(const QString& text);

// A question with "Да" and "Нет" before a step that cannot be taken back;
// true when the user says yes. A replaceable seam as the shower is.
using QuestionAsker = std::function<bool(const QString& title, const QString& text)>;
QuestionAsker SetQuestionAsker(QuestionAsker asker);
bool AskToGoOn(const QString& text);

// The warning after a collect in which `files` source files ended inside an
// open quote.
QString OpenQuoteNotice(int files);

} // namespace app
