#pragma once
// A prompt handler for tests: records every prompt and answers from queues the test fills.
// A question without a scripted answer fails the test (and answers No / Cancel).

#include "platform/Prompt.h"

#include <QString>
#include <QStringList>

#include <ostream>

#include <deque>
#include <functional>
#include <vector>

struct PromptRecord {
  enum class Kind { Message, Input, Hoverlet, Modal, Menu };
  Kind kind = Kind::Message;
  QString text;
  QString title;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
  MsgResult defaultButton = MsgResult::Ok;
  int displayTime = 0;
  QString defaultText;  // an input box's default
  QStringList items;    // a menu's item strings
};

class ScriptedPrompt final : public PromptHandler {
 public:
  ScriptedPrompt();  // installs itself
  ~ScriptedPrompt() override;

  void AnswerNext(MsgResult answer) { m_answers.push_back(answer); }
  void InputNext(const QString& text) { m_inputs.push_back(text); }
  // Runs instead of exec(); returns the dialog's result code.
  void ModalNext(std::function<int(QDialog&)> run) { m_modals.push_back(std::move(run)); }
  // The command number the next pop-up menu returns (0: dismissed).
  void MenuNext(int command) { m_menus.push_back(command); }
  // Runs while each message box is up, before it is answered: what the world can do meanwhile.
  void WhileMessageShown(std::function<void(const QString& text)> run) {
    m_whileShown = std::move(run);
  }

  const std::vector<PromptRecord>& Records() const { return m_records; }
  std::vector<PromptRecord> Messages() const;
  QStringList MessageTexts() const;
  void Clear() { m_records.clear(); }
  // True when every scripted answer was used.
  bool AllAnswersUsed() const {
    return m_answers.empty() && m_inputs.empty() && m_modals.empty() && m_menus.empty();
  }

  MsgResult MessageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                       MsgResult defaultButton) override;
  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultText) override;
  void ShowHoverlet(const QString& message, int displayTime) override;
  int ShowModal(QDialog& dialog) override;
  int PopupMenu(const QStringList& items, const QPoint& screenPos, QWidget* owner) override;

 private:
  std::vector<PromptRecord> m_records;
  std::deque<MsgResult> m_answers;
  std::deque<QString> m_inputs;
  std::deque<std::function<int(QDialog&)>> m_modals;
  std::deque<int> m_menus;
  std::function<void(const QString&)> m_whileShown;
};

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
