#include "grid/FormNames.h"

#include "controls/AccessibleName.h"
#include "controls/DateBox.h"
#include "controls/HCDateAdv.h"
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "grid/SpreadGrid.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>

#include <climits>
#include <cstdlib>
#include <vector>

namespace {

// The name this file gave a control, to tell it from one the window set.
constexpr char kAutoName[] = "sendoraAutoName";
const QString kNamerName = QStringLiteral("sendoraFormNamer");

// Pixels: how far a label may reach into its control, stand before it, or sit above it.
constexpr int kOverlap = 2;
constexpr int kLeftReach = 80;
constexpr int kAboveReach = 12;
constexpr int kAboveAlign = 12;

enum class Kind { Button, Field, Grid };

struct Control {
  QWidget* widget;
  Kind kind;
  bool shown;
  QRect rect;  // in the window's coordinates
};

struct Caption {
  QLabel* label;
  QString name;
  QRect rect;
  bool used = false;
};

bool IsField(QWidget* w) {
  return qobject_cast<HCText*>(w) || qobject_cast<HCTerm*>(w) || qobject_cast<HCDateAdv*>(w) ||
         qobject_cast<DateBox*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
         qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QTextEdit*>(w) ||
         qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractItemView*>(w) ||
         (qobject_cast<QAbstractSlider*>(w) && !qobject_cast<QScrollBar*>(w));
}

QRect RectIn(const QWidget& form, const QWidget* w) {
  return QRect(w->mapTo(&form, QPoint(0, 0)), w->size());
}

// The controls and labels of the window; a control's own parts are named with it.
void Collect(QWidget& form, QWidget* parent, std::vector<Control>& controls,
             std::vector<Caption>& captions) {
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    const bool shown = w->isVisibleTo(&form);
    if (auto* label = qobject_cast<QLabel*>(w)) {
      const QString name = controls::CaptionName(label->text());
      if (shown && !name.isEmpty()) captions.push_back({label, name, RectIn(form, label)});
      continue;
    }
    if (qobject_cast<SpreadGrid*>(w)) {
      controls.push_back({w, Kind::Grid, shown, RectIn(form, w)});
    } else if (qobject_cast<QAbstractButton*>(w)) {
      controls.push_back({w, Kind::Button, shown, RectIn(form, w)});
    } else if (IsField(w)) {
      controls.push_back({w, Kind::Field, shown, RectIn(form, w)});
    } else {
      Collect(form, w, controls, captions);
    }
  }
}

bool SameLine(const QRect& a, const QRect& b) {
  const int ya = a.center().y(), yb = b.center().y();
  return (ya >= b.top() && ya <= b.bottom()) || (yb >= a.top() && yb <= a.bottom());
}

Caption* BuddyCaption(std::vector<Caption>& captions, const QWidget* w) {
  for (Caption& c : captions)
    if (c.label->buddy() == w) return &c;
  return nullptr;
}

// The nearest label before the control on its line, unless another control stands between.
Caption* LeftCaption(std::vector<Caption>& captions, const std::vector<Control>& controls,
                     const Control& target) {
  Caption* best = nullptr;
  for (Caption& c : captions) {
    if (!SameLine(c.rect, target.rect) || c.rect.right() > target.rect.left() + kOverlap ||
        target.rect.left() - c.rect.right() > kLeftReach)
      continue;
    if (!best || c.rect.right() > best->rect.right()) best = &c;
  }
  if (!best) return nullptr;
  for (const Control& other : controls) {
    if (other.widget == target.widget || !other.shown || !SameLine(other.rect, target.rect))
      continue;
    if (other.rect.center().x() > best->rect.right() &&
        other.rect.right() <= target.rect.left() + kOverlap)
      return nullptr;
  }
  return best;
}

// A label of no other control, just above this one and starting where it starts.
Caption* CaptionAbove(std::vector<Caption>& captions, const std::vector<Control>& controls,
                      const Control& target) {
  Caption* best = nullptr;
  for (Caption& c : captions) {
    if (c.used || c.rect.bottom() > target.rect.top() + kOverlap ||
        target.rect.top() - c.rect.bottom() > kAboveReach ||
        std::abs(c.rect.left() - target.rect.left()) > kAboveAlign)
      continue;
    if (!best || c.rect.bottom() > best->rect.bottom()) best = &c;
  }
  if (!best) return nullptr;
  for (const Control& other : controls) {
    if (other.widget == target.widget || !other.shown) continue;
    if (other.rect.top() >= best->rect.bottom() && other.rect.bottom() <= target.rect.top() &&
        other.rect.left() < target.rect.right() && other.rect.right() > target.rect.left())
      return nullptr;
  }
  return best;
}

// No name, or one this file gave and may give again.
bool MayName(const QWidget* w) {
  const QString name = w->accessibleName();
  return name.isEmpty() || name == w->property(kAutoName).toString();
}

void Name(QWidget* w, const QString& name) {
  controls::SetControlName(w, name);
  w->setProperty(kAutoName, name);
}

// A button reads its caption; it is named only where the caption would read badly, so that a
// caption the window changes later is still what is read.
bool NameButton(QAbstractButton* button) {
  const QString caption = button->text();
  const QString name = controls::CaptionName(caption);
  if (name.isEmpty()) return false;
  if (name != QString(caption).remove(u'&').trimmed()) {
    Name(button, name);
  } else if (!button->accessibleName().isEmpty()) {
    Name(button, QString());  // the caption reads well now
  }
  const QString key = controls::CaptionKeyHint(caption);
  if (!key.isEmpty() && button->accessibleDescription().isEmpty() && button->toolTip().isEmpty())
    button->setAccessibleDescription(QStringLiteral("단축키 ") + key);
  return true;
}

class ShowNamer final : public QObject {
 public:
  explicit ShowNamer(QWidget& form) : QObject(&form) {
    setObjectName(kNamerName);
    form.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched == parent())
      NameFormControls(*static_cast<QWidget*>(watched));
    return false;
  }
};

}  // namespace

void NameFormControls(QWidget& form) {
  std::vector<Control> controls;
  std::vector<Caption> captions;
  Collect(form, &form, controls, captions);

  // Buddies and labels before the control first, so that a label above names only what no
  // label on its own line names.
  std::vector<const Control*> rest;
  for (const Control& c : controls) {
    if (!MayName(c.widget)) continue;
    if (c.kind == Kind::Button && NameButton(static_cast<QAbstractButton*>(c.widget))) continue;
    Caption* caption = BuddyCaption(captions, c.widget);
    if (!caption && c.shown) caption = LeftCaption(captions, controls, c);
    if (!caption) {
      rest.push_back(&c);
      continue;
    }
    caption->used = true;
    Name(c.widget, caption->name);
    // Where Qt takes a combo box's name from its label (Linux), the label has to be its buddy.
    if (qobject_cast<QComboBox*>(c.widget) && !caption->label->buddy())
      caption->label->setBuddy(c.widget);
  }
  for (const Control* c : rest) {
    if (Caption* caption = c->shown ? CaptionAbove(captions, controls, *c) : nullptr) {
      caption->used = true;
      Name(c->widget, caption->name);
    } else if (c->kind == Kind::Grid) {
      const QString role = static_cast<SpreadGrid*>(c->widget)->FollowsHorizontalScroll()
                               ? QStringLiteral("합계")
                               : QStringLiteral("목록");
      const QString title = form.windowTitle().trimmed();
      Name(c->widget, title.isEmpty() ? role : title + u' ' + role);
    }
  }
}

void NameFormControlsOnShow(QWidget& form) {
  if (form.findChild<QObject*>(kNamerName, Qt::FindDirectChildrenOnly)) return;
  new ShowNamer(form);
}
