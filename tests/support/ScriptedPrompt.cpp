#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QDialog>

ScriptedPrompt::ScriptedPrompt() { SetPromptHandler(this); }
ScriptedPrompt::~ScriptedPrompt() { SetPromptHandler(nullptr); }

std::vector<PromptRecord> ScriptedPrompt::Messages() const {
  std::vector<PromptRecord> out;
  for (const auto& r : m_records)
    if (r.kind == PromptRecord::Kind::Message) out.push_back(r);
  return out;
}

QStringList ScriptedPrompt::MessageTexts() const {
  QStringList out;
  for (const auto& r : Messages()) out << r.text;
  return out;
}

MsgResult ScriptedPrompt::MessageBox(const QString& text, const QString& title, MsgButtons buttons,
                                     MsgIcon icon, MsgResult defaultButton) {
  m_records.push_back(
      {PromptRecord::Kind::Message, text, title, buttons, icon, defaultButton, 0, {}, {}});
  if (m_whileShown) m_whileShown(text);
  if (!m_answers.empty()) {
    const MsgResult a = m_answers.front();
    m_answers.pop_front();
    return a;
  }
  if (buttons == MsgButtons::Ok) return MsgResult::Ok;
  ADD_FAILURE() << "unexpected question: " << text.toStdString();
  return buttons == MsgButtons::OkCancel ? MsgResult::Cancel : MsgResult::No;
}

QString ScriptedPrompt::InputBox(const QString& prompt, const QString& title,
                                 const QString& defaultText) {
  PromptRecord r;
  r.kind = PromptRecord::Kind::Input;
  r.text = prompt;
  r.title = title;
  r.defaultText = defaultText;
  m_records.push_back(r);
  if (m_inputs.empty()) {
    ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
    return QString();
  }
  const QString t = m_inputs.front();
  m_inputs.pop_front();
  return t;
}

void ScriptedPrompt::ShowHoverlet(const QString& message, int displayTime) {
  PromptRecord r;
  r.kind = PromptRecord::Kind::Hoverlet;
  r.text = message;
  r.displayTime = displayTime;
  m_records.push_back(r);
}

int ScriptedPrompt::ShowModal(QDialog& dialog) {
  PromptRecord r;
  r.kind = PromptRecord::Kind::Modal;
  r.text = dialog.objectName();
  r.title = dialog.windowTitle();
  m_records.push_back(r);
  if (m_modals.empty()) {
    ADD_FAILURE() << "unexpected modal dialog: " << dialog.objectName().toStdString();
    return QDialog::Rejected;
  }
  auto run = std::move(m_modals.front());
  m_modals.pop_front();
  return run(dialog);
}

int ScriptedPrompt::PopupMenu(const QStringList& items, const QPoint&, QWidget*) {
  PromptRecord r;
  r.kind = PromptRecord::Kind::Menu;
  r.items = items;
  m_records.push_back(r);
  if (m_menus.empty()) {
    ADD_FAILURE() << "unexpected pop-up menu: " << items.join(u'|').toStdString();
    return 0;
  }
  const int command = m_menus.front();
  m_menus.pop_front();
  return command;
}
