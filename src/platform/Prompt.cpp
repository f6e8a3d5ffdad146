#include "platform/Prompt.h"

#include "platform/EventLog.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace {

void (*g_hoverletLauncher)(const QString&, int) = nullptr;

// Message boxes give the focus back to the control that had it before.
class FocusKeeper {
 public:
  FocusKeeper() : m_widget(QApplication::focusWidget()) {}
  ~FocusKeeper() {
    if (m_widget && m_widget->isVisible() && m_widget->isEnabled()) m_widget->setFocus();
  }

 private:
  QPointer<QWidget> m_widget;
};

class QtPromptHandler final : public PromptHandler {
 public:
  MsgResult MessageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                       MsgResult defaultButton) override {
    FocusKeeper keeper;
    QMessageBox box(ToQt(icon), title, text, QMessageBox::NoButton, QApplication::activeWindow());
    QMessageBox::StandardButtons qtButtons;
    switch (buttons) {
      case MsgButtons::Ok:
        qtButtons = QMessageBox::Ok;
        break;
      case MsgButtons::OkCancel:
        qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
      case MsgButtons::YesNo:
        qtButtons = QMessageBox::Yes | QMessageBox::No;
        break;
      case MsgButtons::YesNoCancel:
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(qtButtons);
    box.setDefaultButton(ToQt(defaultButton));
    switch (box.exec()) {
      case QMessageBox::Yes:
        return MsgResult::Yes;
      case QMessageBox::No:
        return MsgResult::No;
      case QMessageBox::Cancel:
        return MsgResult::Cancel;
      default:
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
  }

  QString InputBox(const QString& prompt, const QString& title,
                   const QString& defaultText) override {
    FocusKeeper keeper;
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
  }

  void ShowHoverlet(const QString& message, int displayTime) override {
    if (g_hoverletLauncher) g_hoverletLauncher(message, displayTime);
  }

  int ShowModal(QDialog& dialog) override { return dialog.exec(); }

  int PopupMenu(const QStringList& items, const QPoint& screenPos, QWidget* owner) override {
    QMenu menu(owner ? owner->window() : nullptr);
    for (const QString& item : items) {
      const int number = MenuItemNumber(item);
      if (number < 0) {
        menu.addSeparator();
        continue;
      }
      menu.addAction(MenuItemCaption(item))->setData(number);
    }
    const QAction* chosen = menu.exec(screenPos);
    return chosen ? chosen->data().toInt() : 0;
  }

 private:
  static QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
      case MsgIcon::Critical:
        return QMessageBox::Critical;
      case MsgIcon::Question:
        return QMessageBox::Question;
      case MsgIcon::Exclamation:
        return QMessageBox::Warning;
      case MsgIcon::Information:
        return QMessageBox::Information;
      case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
  }
  static QMessageBox::StandardButton ToQt(MsgResult result) {
    switch (result) {
      case MsgResult::Cancel:
        return QMessageBox::Cancel;
      case MsgResult::Yes:
        return QMessageBox::Yes;
      case MsgResult::No:
        return QMessageBox::No;
      case MsgResult::Ok:
        break;
    }
    return QMessageBox::Ok;
  }
};

// Unattended runs (scripted checks of the whole program) set SENDORA_PROMPT_TRANSCRIPT to a file:
// every prompt is appended there as one line and answered with its default button.
class TranscriptPromptHandler final : public PromptHandler {
 public:
  explicit TranscriptPromptHandler(QString file) : m_file(std::move(file)) {}

  MsgResult MessageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon,
                       MsgResult defaultButton) override {
    Write(QStringLiteral("message"), title, text);
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    return defaultButton;
  }
  QString InputBox(const QString& prompt, const QString& title, const QString&) override {
    Write(QStringLiteral("input"), title, prompt);
    return QString();
  }
  void ShowHoverlet(const QString& message, int displayTime) override {
    Write(QStringLiteral("hoverlet"), QString::number(displayTime), message);
  }
  int PopupMenu(const QStringList& items, const QPoint&, QWidget*) override {
    Write(QStringLiteral("menu"), QString(), items.join(u'|'));
    return 0;
  }
  int ShowModal(QDialog& dialog) override {
    Write(QStringLiteral("modal"), dialog.windowTitle(), dialog.objectName());
    return dialog.exec();
  }
  void WindowShown(const QWidget& window) override {
    if (window.isVisible())
      Write(QStringLiteral("window"), window.windowTitle(), window.objectName());
  }

 private:
  void Write(const QString& kind, const QString& title, const QString& text) {
    QFile f(m_file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    QString line = kind + u'\t' + title + u'\t' + text;
    line.replace(u'\n', QLatin1String("\\n"));
    f.write(line.toUtf8() + '\n');
  }
  QString m_file;
};

// Console programs (the update checker, the file-replacement program) have no screen to put a box
// on: what they would have asked or said goes to the event log, answered with the default.
class ConsolePromptHandler final : public PromptHandler {
 public:
  MsgResult MessageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon,
                       MsgResult defaultButton) override {
    eventlog::Write(title + QStringLiteral(": ") + text);
    return buttons == MsgButtons::Ok ? MsgResult::Ok : defaultButton;
  }
  QString InputBox(const QString& prompt, const QString& title, const QString&) override {
    eventlog::Write(title + QStringLiteral(": ") + prompt);
    return QString();
  }
  void ShowHoverlet(const QString& message, int) override { eventlog::Write(message); }
  int ShowModal(QDialog&) override { return 0; }
};

PromptHandler* g_handler = nullptr;
QString g_defaultTitle;

QString TitleOr(const QString& title) { return title.isEmpty() ? g_defaultTitle : title; }

}  // namespace

int PromptHandler::PopupMenu(const QStringList&, const QPoint&, QWidget*) { return 0; }

PromptHandler& Prompts() {
  if (g_handler) return *g_handler;
  static const QString transcript = qEnvironmentVariable("SENDORA_PROMPT_TRANSCRIPT");
  if (!transcript.isEmpty()) {
    static TranscriptPromptHandler transcriptHandler(transcript);
    return transcriptHandler;
  }
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    static ConsolePromptHandler consoleHandler;
    return consoleHandler;
  }
  static QtPromptHandler qtHandler;
  return qtHandler;
}

void SetPromptHandler(PromptHandler* handler) { g_handler = handler; }
void NoteWindowShown(const QWidget& window) { Prompts().WindowShown(window); }
void SetDefaultPromptTitle(const QString& title) { g_defaultTitle = title; }
QString DefaultPromptTitle() { return g_defaultTitle; }
void SetHoverletLauncher(void (*launcher)(const QString&, int)) { g_hoverletLauncher = launcher; }

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title,
                 MsgResult defaultButton) {
  return Prompts().MessageBox(text, TitleOr(title), buttons, icon, defaultButton);
}

void MsgInfo(const QString& text, const QString& title) {
  MsgBox(text, MsgButtons::Ok, MsgIcon::Information, title);
}

bool MsgYesNo(const QString& text, const QString& title, bool defaultYes) {
  return MsgBox(text, MsgButtons::YesNo, MsgIcon::Question, title,
                defaultYes ? MsgResult::Yes : MsgResult::No) == MsgResult::Yes;
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
  return Prompts().InputBox(prompt, TitleOr(title), defaultText);
}

int ShowModal(QDialog& dialog) { return Prompts().ShowModal(dialog); }

int MenuItemNumber(const QString& item) {
  if (item == QLatin1String("-")) return -1;
  bool ok = false;
  const int number = item.left(2).toInt(&ok);
  return ok ? number : 0;
}

QString MenuItemCaption(const QString& item) { return item.mid(2); }

QString ErrorBoxText(long number, const QString& description, const QString& procedure,
                     const QString& owner, bool ownerIsForm) {
  return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" (") + description +
         QStringLiteral(") in procedure ") + procedure +
         (ownerIsForm ? QStringLiteral(" of Form ") : QStringLiteral(" of Module ")) + owner;
}

void MsgError(long number, const QString& description, const QString& procedure,
              const QString& owner, bool ownerIsForm) {
  MsgBox(ErrorBoxText(number, description, procedure, owner, ownerIsForm), MsgButtons::Ok,
         MsgIcon::Critical);
}
