#include "support/TcpProxy.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace testdb {

namespace {

int ConnectTcp(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

sockaddr_un UnixAddress(const QString& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray p = path.toLocal8Bit();
  std::strncpy(addr.sun_path, p.constData(), sizeof addr.sun_path - 1);
  return addr;
}

int ConnectUnix(const QString& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr = UnixAddress(path);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const char* data, qsizetype n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, static_cast<size_t>(n));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    n -= w;
  }
  return true;
}

}  // namespace

TcpProxy::TcpProxy(int targetPort) : m_targetPort(targetPort) {
  m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(m_listen, 16) != 0) {
    ADD_FAILURE() << "proxy cannot listen: " << std::strerror(errno);
    return;
  }
  socklen_t len = sizeof addr;
  ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
  m_port = ntohs(addr.sin_port);
  Start();
}

TcpProxy::TcpProxy(const QString& listenPath, const QString& targetSocket)
    : m_listenPath(listenPath), m_targetSocket(targetSocket) {
  m_listen = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ::unlink(listenPath.toLocal8Bit().constData());
  sockaddr_un addr = UnixAddress(listenPath);
  if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(m_listen, 16) != 0) {
    ADD_FAILURE() << "proxy cannot listen on " << listenPath.toStdString() << ": "
                  << std::strerror(errno);
    return;
  }
  Start();
}

void TcpProxy::Start() {
  if (::pipe(m_wake) != 0) ADD_FAILURE() << "proxy pipe failed";
  m_thread = std::thread([this] { Loop(); });
}

TcpProxy::~TcpProxy() {
  m_stop = true;
  Wake();
  if (m_thread.joinable()) m_thread.join();
  for (Pair& p : m_pairs) Close(p);
  for (int fd : {m_listen, m_wake[0], m_wake[1]})
    if (fd >= 0) ::close(fd);
  if (!m_listenPath.isEmpty()) ::unlink(m_listenPath.toLocal8Bit().constData());
}

void TcpProxy::Wake() {
  if (m_wake[1] >= 0) (void)!::write(m_wake[1], "x", 1);
}

void TcpProxy::AddRule(Mode mode, const QByteArray& pattern, int count) {
  std::lock_guard lock(m_mutex);
  m_rules.push_back({mode, pattern, count});
}

void TcpProxy::CutBefore(const QByteArray& pattern) { AddRule(Mode::CutBefore, pattern, 1); }
void TcpProxy::CutAfter(const QByteArray& pattern) { AddRule(Mode::CutAfter, pattern, 1); }
void TcpProxy::Hold(const QByteArray& pattern) { AddRule(Mode::Hold, pattern, 1); }
void TcpProxy::AnswerOkInstead(const QByteArray& pattern, int count) {
  AddRule(Mode::AnswerOk, pattern, count);
}

void TcpProxy::ReleaseHeld() {
  m_release = true;
  Wake();
}

void TcpProxy::RefuseNext(int count) { m_refuse = count; }

void TcpProxy::Silence(bool on) {
  m_silent = on;
  Wake();
}

void TcpProxy::Close(Pair& p) {
  if (p.client >= 0) ::close(p.client);
  if (p.server >= 0) ::close(p.server);
  p.client = p.server = -1;
  p.held.clear();
}

void TcpProxy::Accept() {
  Pair p;
  p.client = ::accept(m_listen, nullptr, nullptr);
  if (p.client < 0) return;
  if (m_refuse > 0) {
    --m_refuse;
    Close(p);
    return;
  }
  p.server = m_targetSocket.isEmpty() ? ConnectTcp(m_targetPort) : ConnectUnix(m_targetSocket);
  if (p.server >= 0)
    m_pairs.push_back(p);
  else
    Close(p);
}

void TcpProxy::FromClient(Pair& p, const char* data, qsizetype n) {
  std::optional<Mode> mode;
  {
    std::lock_guard lock(m_mutex);
    const QByteArray packet = QByteArray::fromRawData(data, n);
    for (Rule& r : m_rules) {
      if (r.remaining > 0 && packet.contains(r.pattern)) {
        --r.remaining;
        mode = r.mode;
        break;
      }
    }
    std::erase_if(m_rules, [](const Rule& r) { return r.remaining <= 0; });
  }
  if (!mode) {
    if (!WriteAll(p.server, data, n)) Close(p);
    return;
  }
  switch (*mode) {
    case Mode::CutBefore:
      Close(p);
      ++m_cuts;
      break;
    case Mode::CutAfter:
      WriteAll(p.server, data, n);
      ::close(p.client);
      p.client = -1;
      p.draining = true;
      ++m_cuts;
      break;
    case Mode::Hold:
      p.held = QByteArray(data, n);
      ::close(p.client);
      p.client = -1;
      ++m_held;
      break;
    case Mode::AnswerOk: {
      // OK packet: no rows, no insert id, autocommit status, no warnings; it answers the
      // command packet (sequence 0) with sequence 1.
      const unsigned char seq = n > 3 ? static_cast<unsigned char>(data[3]) + 1 : 1;
      const char ok[] = {7, 0, 0, static_cast<char>(seq), 0, 0, 0, 2, 0, 0, 0};
      if (!WriteAll(p.client, ok, sizeof ok)) Close(p);
      ++m_faked;
      break;
    }
  }
}

void TcpProxy::Loop() {
  char buffer[65536];
  while (!m_stop) {
    if (m_release.exchange(false)) {
      for (Pair& p : m_pairs) {
        if (p.held.isEmpty() || p.server < 0) continue;
        if (!WriteAll(p.server, p.held.constData(), p.held.size())) Close(p);
        p.held.clear();
        p.draining = true;
      }
    }
    std::vector<pollfd> fds;
    fds.push_back({m_listen, POLLIN, 0});
    fds.push_back({m_wake[0], POLLIN, 0});
    if (!m_silent) {
      for (const Pair& p : m_pairs) {
        if (p.client >= 0) fds.push_back({p.client, POLLIN, 0});
        if (p.server >= 0) fds.push_back({p.server, POLLIN, 0});
      }
    }
    if (::poll(fds.data(), fds.size(), 200) <= 0) continue;
    if (fds[1].revents) {
      char drain[64];
      (void)!::read(m_wake[0], drain, sizeof drain);
    }
    if (fds[0].revents & POLLIN) Accept();
    for (std::size_t i = 2; i < fds.size(); ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const int fd = fds[i].fd;
      for (Pair& p : m_pairs) {
        if (fd < 0 || (fd != p.client && fd != p.server)) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
          Close(p);
        } else if (fd == p.server) {
          // An answer for a client that is gone ends the connection: the server has done the
          // work.
          if (p.draining || p.client < 0 || !WriteAll(p.client, buffer, n)) Close(p);
        } else {
          FromClient(p, buffer, n);
        }
        break;
      }
    }
    std::erase_if(m_pairs, [](const Pair& p) { return p.client < 0 && p.server < 0; });
  }
}

}  // namespace testdb
