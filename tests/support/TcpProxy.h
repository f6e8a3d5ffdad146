#pragma once
// A loopback TCP proxy in front of the test server that can break connections on command, for
// the tests of lost connections: a statement that never reaches the server, one whose answer
// never comes back, and a network that goes silent.

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace testdb {

class TcpProxy {
 public:
  explicit TcpProxy(int targetPort);
  ~TcpProxy();
  TcpProxy(const TcpProxy&) = delete;
  TcpProxy& operator=(const TcpProxy&) = delete;

  int Port() const { return m_port; }

  // The next client packet that contains `pattern` is not passed on: both ends of its
  // connection are closed, so the server never sees it.
  void CutBefore(const QByteArray& pattern);
  // The next client packet that contains `pattern` reaches the server; the client's end is
  // closed at once and the server's answer is thrown away, so the client never learns it.
  void CutAfter(const QByteArray& pattern);
  // Nothing is passed on in either direction while on; connections stay open.
  void Silence(bool on);
  // How many cuts have happened.
  int Cuts() const { return m_cuts.load(); }

 private:
  enum class Mode { Pass, CutBefore, CutAfter };
  struct Pair {
    int client = -1;
    int server = -1;
    bool draining = false;  // client gone; waiting for the server's answer to discard
  };
  void Loop();
  void Close(Pair& p);

  int m_listen = -1;
  int m_port = 0;
  int m_target = 0;
  int m_wake[2] = {-1, -1};
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_silent{false};
  std::atomic<int> m_cuts{0};
  std::mutex m_mutex;
  Mode m_mode = Mode::Pass;
  QByteArray m_pattern;
  std::vector<Pair> m_pairs;
  std::thread m_thread;
};

}  // namespace testdb
