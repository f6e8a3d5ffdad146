#include "platform/SecretStore.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace secrets {
namespace {

using QKeychain::Job;

QPointer<Job>& Unanswered() {
  static QPointer<Job> job;
  return job;
}

// Starts the job and waits for it without taking user input (the waiting window's buttons must
// not run again meanwhile). False when it did not finish in time: it then stays alive, since the
// store's callback still points at it, and deletes itself when the answer comes.
bool Run(Job* job) {
  // Never QtKeychain's own fallback: it writes the secret in clear to a settings file.
  job->setInsecureFallback(false);
  job->setAutoDelete(false);
  QEventLoop loop;
  bool finished = false;
  QObject::connect(job, &Job::finished, &loop, [&finished, &loop] {
    finished = true;
    loop.quit();
  });
  QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
  job->start();
  // An answer given inside start() quit the loop before it ran: exec would wait the whole time.
  if (!finished) loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (!finished) {
    job->setAutoDelete(true);
    Unanswered() = job;
  }
  return finished;
}

bool Busy() { return !Unanswered().isNull(); }

}  // namespace

Entry Read(const QString& service, const QString& key) {
  Entry entry;
  if (Busy()) return entry;
  auto* job = new QKeychain::ReadPasswordJob(service);
  job->setKey(key);
  if (!Run(job)) return entry;
  if (job->error() == QKeychain::NoError) {
    entry.status = Status::Found;
    entry.text = job->textData();
  } else if (job->error() == QKeychain::EntryNotFound) {
    entry.status = Status::NotFound;
  }
  delete job;
  return entry;
}

bool Write(const QString& service, const QString& key, const QString& text) {
  if (Busy()) return false;
  auto* job = new QKeychain::WritePasswordJob(service);
  job->setKey(key);
  job->setTextData(text);
  if (!Run(job)) return false;
  const bool ok = job->error() == QKeychain::NoError;
  delete job;
  return ok;
}

bool Remove(const QString& service, const QString& key) {
  if (Busy()) return false;
  auto* job = new QKeychain::DeletePasswordJob(service);
  job->setKey(key);
  if (!Run(job)) return false;
  const bool ok = job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound;
  delete job;
  return ok;
}

}  // namespace secrets
