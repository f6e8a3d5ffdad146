#pragma once
// The floating notice's command line: the message, a space and "/T" with the display time in
// our own unit (each unit is 3 ms, so the usual /T500 is about 1.5 s). The main program passes
// the message as one argument; a Windows-style single command line arrives split at the
// spaces, so the arguments are joined back with single spaces before the /T word is taken off.

#include <QString>
#include <QStringList>

namespace hoverlet {

inline constexpr int kDefaultDisplayTime = 500;
inline constexpr int kMsPerUnit = 3;
// The caller's time is a 16-bit integer; anything outside is a bad /T.
inline constexpr int kMaxDisplayTime = 32767;

struct HoverletArgs {
  QString message;
  int displayTime = kDefaultDisplayTime;

  int DisplayMs() const { return displayTime * kMsPerUnit; }
};

// args without the program name. A last word "/T" (or "/t") followed by anything is the time
// word; when what follows is not a whole number from 1 to kMaxDisplayTime the default applies.
inline HoverletArgs ParseHoverletArgs(const QStringList& args) {
  HoverletArgs out;
  QString text = args.join(QLatin1Char(' '));

  qsizetype wordStart = text.size();
  while (wordStart > 0 && !text.at(wordStart - 1).isSpace()) --wordStart;
  const QStringView lastWord = QStringView(text).mid(wordStart);
  if (lastWord.size() >= 2 && lastWord.at(0) == QLatin1Char('/') &&
      (lastWord.at(1) == QLatin1Char('T') || lastWord.at(1) == QLatin1Char('t'))) {
    bool ok = false;
    const int n = lastWord.mid(2).toInt(&ok);
    if (ok && n >= 1 && n <= kMaxDisplayTime && lastWord.at(2).isDigit()) out.displayTime = n;
    text.truncate(wordStart);
  }
  out.message = text.trimmed();
  return out;
}

}  // namespace hoverlet
