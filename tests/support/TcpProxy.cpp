#include "support/TcpProxy.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace testdb {

namespace {

int ConnectTo(int port) {
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

bool WriteAll(int fd, const char* data, ssize_t n) {
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

TcpProxy::TcpProxy(int targetPort) : m_target(targetPort) {
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
  if (::pipe(m_wake) != 0) ADD_FAILURE() << "proxy pipe failed";
  m_thread = std::thread([this] { Loop(); });
}

TcpProxy::~TcpProxy() {
  m_stop = true;
  if (m_wake[1] >= 0) (void)!::write(m_wake[1], "x", 1);
  if (m_thread.joinable()) m_thread.join();
  for (Pair& p : m_pairs) Close(p);
  for (int fd : {m_listen, m_wake[0], m_wake[1]})
    if (fd >= 0) ::close(fd);
}

void TcpProxy::CutBefore(const QByteArray& pattern) {
  std::lock_guard lock(m_mutex);
  m_mode = Mode::CutBefore;
  m_pattern = pattern;
}

void TcpProxy::CutAfter(const QByteArray& pattern) {
  std::lock_guard lock(m_mutex);
  m_mode = Mode::CutAfter;
  m_pattern = pattern;
}

void TcpProxy::Silence(bool on) {
  m_silent = on;
  if (m_wake[1] >= 0) (void)!::write(m_wake[1], "x", 1);
}

void TcpProxy::Close(Pair& p) {
  if (p.client >= 0) ::close(p.client);
  if (p.server >= 0) ::close(p.server);
  p.client = p.server = -1;
}

void TcpProxy::Loop() {
  char buffer[65536];
  while (!m_stop) {
    std::vector<pollfd> fds;
    fds.push_back({m_listen, POLLIN, 0});
    fds.push_back({m_wake[0], POLLIN, 0});
    const bool silent = m_silent;
    if (!silent) {
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
    if (fds[0].revents & POLLIN) {
      Pair p;
      p.client = ::accept(m_listen, nullptr, nullptr);
      p.server = ConnectTo(m_target);
      if (p.client >= 0 && p.server >= 0) {
        m_pairs.push_back(p);
      } else {
        Close(p);
      }
    }
    for (std::size_t i = 2; i < fds.size(); ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const int fd = fds[i].fd;
      for (Pair& p : m_pairs) {
        if (fd != p.client && fd != p.server) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
          Close(p);
          break;
        }
        if (fd == p.server) {
          // An answer for a client that is gone ends the connection: the server has done the work.
          if (p.draining || !WriteAll(p.client, buffer, n)) Close(p);
          break;
        }
        Mode mode;
        {
          std::lock_guard lock(m_mutex);
          mode = m_mode;
          if (mode != Mode::Pass &&
              QByteArray::fromRawData(buffer, static_cast<qsizetype>(n)).contains(m_pattern)) {
            m_mode = Mode::Pass;
          } else {
            mode = Mode::Pass;
          }
        }
        if (mode == Mode::CutBefore) {
          Close(p);
          ++m_cuts;
        } else if (mode == Mode::CutAfter) {
          WriteAll(p.server, buffer, n);
          ::close(p.client);
          p.client = -1;
          p.draining = true;
          ++m_cuts;
        } else if (!WriteAll(p.server, buffer, n)) {
          Close(p);
        }
        break;
      }
    }
    std::erase_if(m_pairs, [](const Pair& p) { return p.client < 0 && p.server < 0; });
  }
}

}  // namespace testdb
