#pragma once
// Reads that may take long do not freeze their window: while a window watches (it shows that it
// is working and offers to stop), each of its statements runs on a worker thread and the window's
// thread keeps handling events until the rows are back. Stopping ends the statement on the server
// (KILL QUERY from a connection of its own), and the read then gives nothing, without a box.

#include <functional>

class ReadWatcher {
 public:
  virtual ~ReadWatcher() = default;
  // A watched statement started; stop ends it. Called on the window's thread.
  virtual void ReadRunning(const std::function<void()>& stop) = 0;
  // It ended, read, failed or stopped.
  virtual void ReadOver() = 0;
};

// Statements read while it lives are watched by watcher (nullptr: run as before, at once).
class ScopedReadWatcher {
 public:
  explicit ScopedReadWatcher(ReadWatcher* watcher);
  ~ScopedReadWatcher();
  ScopedReadWatcher(const ScopedReadWatcher&) = delete;
  ScopedReadWatcher& operator=(const ScopedReadWatcher&) = delete;

 private:
  ReadWatcher* m_previous;
};

// True when the last watched read was stopped: its caller leaves everything as it was.
bool DBReadStopped();
