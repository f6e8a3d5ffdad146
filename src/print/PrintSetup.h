#pragma once
// What a printout is made of (page, options, header and footer) and where each part is stored:
// settings application = the name given to SetAppName + "_PritSetUp", section = the report's
// settings key.

#include <QRect>
#include <QString>
#include <QStringList>

#include <array>

class SpreadGrid;

namespace print {

// The nine options of the print dialog, by their index in the "CheckBox_" keys.
enum Option {
  OptColHeaders = 0,
  OptRowHeaders = 1,
  OptGridLines = 2,
  OptBorder = 3,
  OptDataOnly = 4,
  OptColor = 5,
  OptShadows = 6,
  OptFitToPage = 7,
  OptFooter = 8,
  OptionCount = 9
};
QString OptionCaption(int index);

// The grid's orientation numbers.
enum Orientation { OrientPortrait = 1, OrientLandscape = 2 };

// Zoom list of the page setup; index 8 ("Page Height") is the default.
QStringList ZoomEntries();
inline constexpr int kDefaultZoom = 8;

enum class Range { All, Selection, CurrentPage, Pages };

struct PageSetup {
  double marginTop = 0.5, marginBottom = 0.5, marginLeft = 0.5, marginRight = 0.5;  // inches
  int orientation = OrientPortrait;
  std::array<bool, OptionCount> options{true, true, true, true, true, true, true, false, true};
  int zoom = kDefaultZoom;
  int copies = 1;
  QString header;  // code language
  QString footer;  // as printed: empty while option 8 is off
  Range range = Range::All;
  int fromPage = 1, toPage = 1;  // Range::Pages; Range::CurrentPage uses fromPage alone
  QRect block;                   // Range::Selection: columns x, rows y (1-based)
};

// One SpreadPreview call: the grid, where its settings live, and the texts built for it.
struct Session {
  SpreadGrid* grid = nullptr;
  QString settingsApp;  // app name + "_PritSetUp"
  QString settingsKey;
  bool fitAllowed = false;
  QString rememberedFooter;  // option 8 back on restores it
  PageSetup setup;
  int currentPage = 1;  // the page the preview shows
};

QString SettingsAppFor(const QString& appName);

// Stored values of one report; defaults from the caller where the table says so.
void LoadMargins(Session& s, double top, double bottom, double left, double right);
void LoadOrientation(Session& s, int defaultOrientation);
void LoadOptions(Session& s);
void LoadZoom(Session& s);
int LoadCopies(const Session& s);

void StoreMargins(const Session& s);
void StoreOrientation(const Session& s);
void StoreZoom(const Session& s);
void StoreOption(const Session& s, int index);
void StoreCopies(const Session& s, const QString& typed);

// Sets option index in the session, with what it does to the footer.
void SetOption(Session& s, int index, bool on);

// "PC별프린터사용" under the application title, and the workstation printer.
bool UseWorkstationPrinter();
QString WorkstationPrinter(const Session& s, const QString& currentDevice);
void StoreWorkstationPrinter(const Session& s, const QString& device);

// Margin as the setup boxes show it ("0.00").
QString MarginText(double inches);
inline int InchesToTwips(double inches) { return static_cast<int>(inches * 1440.0 + 0.5); }

}  // namespace print
