// A working day in one process: staff keep the program open from morning to evening and open
// every window many times. Each round opens the customer list, searches, opens and closes the
// customer dialog, the charge dialog (cancelled), the sender numbers, the usage ledger with its
// print preview, the charge list, both summaries, the low-balance list and the balance
// reconciliation, each with its query, then closes the customer list, which deletes itself.
// Runs on the demo data and prints the resident memory after the first and the last round, the
// growth, the heap in use and the rounds per second, and the same figures for a bare loop of
// widget trees as large as the round's.
//
//   bench_soak_bench [--rounds N] [--only BUTTON]
//
// 300 rounds unless N is given; --only presses one button of the customer list (btnEdit,
// btnCharge, btnCertifiedTelNum, btnUseLog, btnChargeList, btnSumFill, btnSumUse, btnLowBalance,
// btnBalanceCheck; none: the list and its search alone), to tell which window keeps memory.
// SENDORA_BENCH_DB_PORT and SENDORA_BENCH_DB_SOCKET name the server.
#include "BenchSupport.h"
#include "controls/HCText.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"
#include "print/FrmSPPrint_Preview.h"
#include "print/cFpPreview.h"
#include "reports/ReportWindow.h"
#include "reports/SummaryWindow.h"
#include "reports/fRLowBalance.h"
#include "reports/fRUseList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPixmapCache>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <mysql.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace {

constexpr int kDefaultRounds = 300;
constexpr double kGoalMb = 5;

void Prepare(const QByteArray& socket) {
  using bench::Exec;
  MYSQL* m = bench::ConnectRoot(socket);
  for (const char* file : {"sms_sk.sql", "cv_inhouse.sql", "demo_data.sql"}) {
    QFile f(QStringLiteral(SENDORA_SCHEMA_DIR "/") + QLatin1String(file));
    if (!f.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", file);
      std::exit(1);
    }
    Exec(m, f.readAll());
  }
  // Opening and cancelling writes nothing: a write refused would show as a message box.
  Exec(m, "CREATE USER IF NOT EXISTS 'bench'@'127.0.0.1' IDENTIFIED BY 'bench'");
  Exec(m, "GRANT SELECT ON sms_sk.* TO 'bench'@'127.0.0.1'");
  mysql_close(m);
}

struct Memory {
  double rawRssMb = 0;  // as it stands
  double rssMb = 0;     // once the allocator has given back the free pages it keeps
  double peakMb = 0;
  double heapMb = 0;  // what the allocator has handed out and not had back
};

// VmRSS and VmHWM, in MB.
std::pair<double, double> ReadStatus() {
  std::pair<double, double> out;
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return out;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const auto mb = [&line] { return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024; };
    if (line.startsWith("VmRSS:")) out.first = mb();
    if (line.startsWith("VmHWM:")) out.second = mb();
  }
  return out;
}

// glibc keeps freed memory up to twice the largest block freed lately (the preview's page
// images run to megabytes), so the raw figure moves by several MB from one reading to the next
// with nothing kept; the one that counts is read after malloc_trim.
Memory ReadMemory() {
  Memory out;
  out.rawRssMb = ReadStatus().first;
  malloc_trim(0);
  std::tie(out.rssMb, out.peakMb) = ReadStatus();
  const struct mallinfo2 m = mallinfo2();
  out.heapMb = static_cast<double>(m.uordblks + m.hblkhd) / 1048576;
  return out;
}

// Posted events, then the deletions they asked for, as the event loop would between two clicks.
void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The most widgets alive at once, for the baseline's tree.
qsizetype g_widgetsAtMost = 0;
void NoteWidgets() {
  g_widgetsAtMost = std::max(g_widgetsAtMost, QApplication::allWidgets().size());
}

// Answers every box without a screen: messages are counted and answered No or Cancel (nothing is
// ever confirmed), and each modal window is shown, given its work and closed as the user would.
class SoakPrompt final : public PromptHandler {
 public:
  SoakPrompt() { SetPromptHandler(this); }
  ~SoakPrompt() override { SetPromptHandler(nullptr); }

  MsgResult MessageBox(const QString& text, const QString&, MsgButtons buttons, MsgIcon,
                       MsgResult) override {
    ++messages;
    if (messageTexts.insert(text).second)
      std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    switch (buttons) {
      case MsgButtons::Ok:
        return MsgResult::Ok;
      case MsgButtons::OkCancel:
        return MsgResult::Cancel;
      default:
        return MsgResult::No;
    }
  }
  QString InputBox(const QString&, const QString&, const QString&) override { return QString(); }
  void ShowHoverlet(const QString& text, int) override {
    ++notices;
    if (noticeTexts.insert(text).second) std::fprintf(stderr, "notice: %s\n", qPrintable(text));
  }
  int ShowModal(QDialog& dialog) override {
    dialog.show();
    Settle();
    NoteWidgets();
    if (auto* report = qobject_cast<ReportWindow*>(&dialog)) {
      // The ledger's query ran when it was opened for its customer.
      if (auto* ledger = qobject_cast<fRUseList*>(report)) {
        ledger->btnPrint->click();
      } else {
        // Every customer, not only the selected one; a threshold some demo customers are under.
        if (auto* summary = qobject_cast<SummaryWindow*>(report)) summary->htField->SetText({});
        if (auto* low = qobject_cast<fRLowBalance*>(report))
          low->htField->SetText(QStringLiteral("30000"));
        report->RunQuery();
      }
      Settle();
      ++reports;
      rows.try_emplace(report->objectName(), report->spList->MaxRows());
    } else if (auto* preview = qobject_cast<FrmSPPrint_Preview*>(&dialog)) {
      ++previews;
      preview->actClose->trigger();
    }
    if (dialog.isVisible()) dialog.reject();
    Settle();
    ++modals;
    return dialog.result();
  }

  long messages = 0, notices = 0, modals = 0, reports = 0, previews = 0;
  std::set<QString> messageTexts, noticeTexts;
  std::map<QString, int> rows;  // of each report, the first time
};

// The grid row of the customer, or the last row when it is not listed.
int RowOf(const SpreadGrid& grid, const QString& id) {
  for (int r = 1; r <= grid.MaxRows(); ++r)
    if (grid.GetText(3, r) == id) return r;
  return grid.MaxRows();
}

// only: the object name of the one button to press ("none": the list and its search alone);
// empty presses them all.
void Round(const QString& only) {
  QPointer<FrmMain> main = new FrmMain;
  main->show();
  Settle();
  NoteWidgets();
  main->htField0->SetText(QStringLiteral("한빛"));
  main->btnQuery_Click();
  // hanbit261 has six sender numbers.
  main->spList->SetActiveCell(1, RowOf(*main->spList, QStringLiteral("hanbit261")));
  // The summaries and the reconciliation are another staff member's buttons; the windows behind
  // them ask nobody's rights, so they are pressed here all the same.
  for (QPushButton* b : {main->btnEdit, main->btnCharge, main->btnCertifiedTelNum, main->btnUseLog,
                         main->btnChargeList, main->btnSumFill, main->btnSumUse,
                         main->btnLowBalance, main->btnBalanceCheck}) {
    if (!only.isEmpty() && b->objectName() != only) continue;
    b->click();
    Settle();
  }
  // Closed as with its close button: it deletes itself (start-up alone ends the program then).
  main->close();
  Settle();
  if (main) {
    std::fprintf(stderr, "the customer list outlived its round\n");
    std::exit(1);
  }
}

// The baseline: a top-level widget with as many labels as the round had widgets at most, shown
// and deleted; what Qt itself keeps or fragments over as many rounds.
void BareRound(qsizetype widgets) {
  auto* top = new QWidget;
  for (qsizetype i = 1; i < widgets; ++i)
    (new QLabel(QStringLiteral("라벨 %1").arg(i), top))->setGeometry(0, 0, 60, 20);
  top->show();
  Settle();
  top->deleteLater();
  Settle();
}

struct Run {
  Memory first, last;
  double seconds = 0;
};

Run Measure(int rounds, const std::function<void()>& round) {
  Run run;
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < rounds; ++i) {
    round();
    if (i == 0) run.first = ReadMemory();
  }
  run.seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
  run.last = ReadMemory();
  return run;
}

void Print(const char* name, int rounds, const Run& r) {
  std::printf(
      "%-10s rounds %4d  RSS first %7.1f MB  last %7.1f MB  growth %6.2f MB  peak %7.1f MB  "
      "%6.2f rounds/s\n"
      "%-10s heap in use first %7.1f MB  last %7.1f MB  growth %6.2f MB  (RSS untrimmed first "
      "%.1f MB, last %.1f MB)\n",
      name, rounds, r.first.rssMb, r.last.rssMb, r.last.rssMb - r.first.rssMb, r.last.peakMb,
      rounds / r.seconds, "", r.first.heapMb, r.last.heapMb, r.last.heapMb - r.first.heapMb,
      r.first.rawRssMb, r.last.rawRssMb);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform says at every window that it cannot pass on size hints.
  static const QtMessageHandler qtHandler = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.contains(QLatin1String("propagateSizeHints"))) qtHandler(type, context, text);
      });
  QApplication app(argc, argv);
  int rounds = kDefaultRounds;
  QString only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = QString::fromLocal8Bit(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--rounds N] [--only BUTTON]\n", argv[0]);
      return 2;
    }
  }
  if (rounds < 2) {
    std::fprintf(stderr, "--rounds needs at least 2\n");
    return 2;
  }
  const auto [port, socket] = bench::ServerFromEnvironment();
  QTemporaryDir appDir, settingsDir;
  paths::SetAppFolder(appDir.path());
  settings::SetRoot(settingsDir.path());
  AppState& state = App();
  state.appTitle = QStringLiteral("SendoraBench");
  state.smsDbHost = QStringLiteral("127.0.0.1");
  state.staff.userId = QStringLiteral("staff1");
  state.staff.userName = QStringLiteral("김민준");
  SetDefaultPromptTitle(state.appTitle);
  SoakPrompt prompt;

  Prepare(socket);
  CreatePrintPreview(state.appTitle);
  if (!DBInit(QStringLiteral("127.0.0.1"), QStringLiteral("bench"), QStringLiteral("bench"),
              QStringLiteral("sms_sk"), QString(), -1, QStringLiteral("euckr"), port.toInt()))
    return 1;

  std::printf("soak: %d rounds of every window on the demo data (goal: growth < %.0f MB)\n", rounds,
              kGoalMb);
  std::fflush(stdout);
  const qsizetype widgetsBefore = QApplication::allWidgets().size();
  const Run soak = Measure(rounds, [&only] { Round(only); });
  Print("windows", rounds, soak);
  std::printf(
      "  per round: %ld windows, %ld report queries, %ld previews; up to %lld widgets "
      "alive; %ld message boxes, %ld notices in all\n",
      prompt.modals / rounds, prompt.reports / rounds, prompt.previews / rounds,
      static_cast<long long>(g_widgetsAtMost), prompt.messages, prompt.notices);
  std::printf("  rows of the first round's reports:");
  for (const auto& [title, count] : prompt.rows) std::printf(" %s %d;", qPrintable(title), count);
  std::printf("\n");
  std::printf("  widgets alive before the first round %lld, after the last %lld\n",
              static_cast<long long>(widgetsBefore),
              static_cast<long long>(QApplication::allWidgets().size()));
  // Qt's pixmap cache keeps what the style has drawn, up to its limit (10 MB by default).
  QPixmapCache::clear();
  const Memory cleared = ReadMemory();
  std::printf(
      "  heap in use with Qt's pixmap cache emptied %.1f MB (%.2f MB over the first "
      "round's)\n",
      cleared.heapMb, cleared.heapMb - soak.first.heapMb);

  const qsizetype widgets = g_widgetsAtMost - widgetsBefore;
  const Run bare = Measure(rounds, [widgets] { BareRound(widgets); });
  Print("bare tree", rounds, bare);

  ReleasePrintPreview();
  DBClose_MYSQL();
  const double growth = soak.last.rssMb - soak.first.rssMb;
  std::printf("growth %.2f MB (goal < %.0f MB): %s\n", growth, kGoalMb,
              growth < kGoalMb ? "met" : "NOT met");
  return 0;
}
