#pragma once
// A loopback proxy in front of the test server that breaks connections the way a real network
// does, for the tests of lost connections: a statement that never reaches the server, one whose
// answer never comes back, one held up in the network and delivered later while the server
// side of its connection stays open, connections refused, a network that goes silent. It
// listens on a TCP port or a Unix socket and forwards to the server's port or socket.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace testdb {

class TcpProxy {
 public:
  // Listens on a free loopback port and forwards to the server's TCP port.
  explicit TcpProxy(int targetPort);
  // Listens on the Unix socket listenPath and forwards to the server's Unix socket.
  TcpProxy(const QString& listenPath, const QString& targetSocket);
  ~TcpProxy();
  TcpProxy(const TcpProxy&) = delete;
  TcpProxy& operator=(const TcpProxy&) = delete;

  int Port() const { return m_port; }
  const QString& SocketPath() const { return m_listenPath; }

  // The next client packet that contains `pattern` is not passed on: both ends of its
  // connection are closed, so the server never sees it.
  void CutBefore(const QByteArray& pattern);
  // The next client packet that contains `pattern` reaches the server; the client's end is
  // closed at once and the server's answer is thrown away, so the client never learns it.
  void CutAfter(const QByteArray& pattern);
  // The next client packet that contains `pattern` is held: the client's end is closed at once,
  // the server's end stays open and idle, as a packet stuck in a retransmitting network leaves
  // it. ReleaseHeld delivers it late (its answer is thrown away).
  void Hold(const QByteArray& pattern);
  void ReleaseHeld();
  // The next `count` client packets that contain `pattern` never reach the server; the proxy
  // answers each with an OK packet of its own, as a server that accepted it would.
  void AnswerOkInstead(const QByteArray& pattern, int count);
  // The next `count` connections are closed as soon as they are accepted.
  void RefuseNext(int count);
  // Nothing is passed on in either direction while on; connections stay open.
  void Silence(bool on);
  // How many cuts and holds have happened.
  int Cuts() const { return m_cuts.load(); }
  int Held() const { return m_held.load(); }
  int Faked() const { return m_faked.load(); }

 private:
  enum class Mode { CutBefore, CutAfter, Hold, AnswerOk };
  struct Rule {
    Mode mode;
    QByteArray pattern;
    int remaining;
  };
  struct Pair {
    int client = -1;
    int server = -1;
    bool draining = false;  // client gone; waiting for the server's answer to discard
    QByteArray held;        // a held packet not yet delivered
  };
  void Start();
  void AddRule(Mode mode, const QByteArray& pattern, int count);
  void Wake();
  void Loop();
  void Accept();
  void FromClient(Pair& p, const char* data, qsizetype n);
  void Close(Pair& p);

  int m_listen = -1;
  int m_port = 0;
  QString m_listenPath;
  int m_targetPort = 0;
  QString m_targetSocket;
  int m_wake[2] = {-1, -1};
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_silent{false};
  std::atomic<bool> m_release{false};
  std::atomic<int> m_refuse{0};
  std::atomic<int> m_cuts{0};
  std::atomic<int> m_held{0};
  std::atomic<int> m_faked{0};
  std::mutex m_mutex;
  std::vector<Rule> m_rules;
  std::vector<Pair> m_pairs;
  std::thread m_thread;
};

}  // namespace testdb
