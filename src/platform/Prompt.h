#pragma once
// The one seam for everything that asks or tells the user: message boxes, the input box, the
// floating notice and modal dialogs. Production installs the Qt handler; tests install a
// scripted one that records the texts and gives the answers the test asks for.

#include <QString>
#include <QStringList>

class QDialog;
class QPoint;
class QWidget;

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

class PromptHandler {
 public:
  virtual ~PromptHandler() = default;
  // title is never empty here: the callers below put the application title in.
  virtual MsgResult MessageBox(const QString& text, const QString& title, MsgButtons buttons,
                               MsgIcon icon, MsgResult defaultButton) = 0;
  // Returns the typed text; an empty text when the user cancelled (as the old input box did).
  virtual QString InputBox(const QString& prompt, const QString& title,
                           const QString& defaultText) = 0;
  // The transient notice; displayTime is in the helper program's own unit (500 ~ 1.5 s).
  virtual void ShowHoverlet(const QString& message, int displayTime) = 0;
  // Shows the dialog modally and returns its result code.
  virtual int ShowModal(QDialog& dialog) = 0;
  // A pop-up menu at a screen position, built from item strings: "-" is a separator line, every
  // other item is two digits (the command number) and its caption. Returns the chosen command
  // number, 0 when the menu was dismissed.
  virtual int PopupMenu(const QStringList& items, const QPoint& screenPos, QWidget* owner);
  // A top-level window came up; only unattended runs note it.
  virtual void WindowShown(const QWidget&) {}
};

// The handler in force. Without one installed, the Qt handler is used.
PromptHandler& Prompts();
// Installs a handler (not owned); nullptr goes back to the Qt handler.
void SetPromptHandler(PromptHandler* handler);
// Tells the handler in force that a top-level window is on screen.
void NoteWindowShown(const QWidget& window);

// The title that empty titles become (the application title).
void SetDefaultPromptTitle(const QString& title);
QString DefaultPromptTitle();

MsgResult MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok,
                 MsgIcon icon = MsgIcon::None, const QString& title = QString(),
                 MsgResult defaultButton = MsgResult::Ok);
void MsgInfo(const QString& text, const QString& title = QString());
// Yes/No with the question icon; the default button is No unless defaultYes.
bool MsgYesNo(const QString& text, const QString& title = QString(), bool defaultYes = false);
QString InputBox(const QString& prompt, const QString& title = QString(),
                 const QString& defaultText = QString());
int ShowModal(QDialog& dialog);
// The command number of a menu item string ("08...") and its caption; -1 for a separator.
int MenuItemNumber(const QString& item);
QString MenuItemCaption(const QString& item);

// The standard error box: "Error " n " (" description ") in procedure " P " of Module " M
// (" of Form " for windows).
QString ErrorBoxText(long number, const QString& description, const QString& procedure,
                     const QString& owner, bool ownerIsForm = false);
void MsgError(long number, const QString& description, const QString& procedure,
              const QString& owner, bool ownerIsForm = false);

// What the Qt handler does for ShowHoverlet (start-up installs the helper-program launcher).
void SetHoverletLauncher(void (*launcher)(const QString& message, int displayTime));
