#include "telephony/sim/control_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "telephony/sim/commands.h"
#include "telephony/sim/control.h"

namespace telephony::sim {
namespace {

constexpr int kIoTimeoutMs = 2000;
constexpr std::size_t kMaxRequest = 64 * 1024;

bool Address(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

using Clock = std::chrono::steady_clock;

// Waits for the socket until the deadline of the whole exchange, so a peer
// that trickles its bytes cannot hold the other side for longer; a stop fd
// that becomes readable ends the wait too.
bool WaitFor(int fd, short events, Clock::time_point deadline, int stopFd) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    const int n = poll(p, stopFd >= 0 ? 2 : 1, static_cast<int>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || (stopFd >= 0 && p[1].revents)) return false;
    return (p[0].revents & events) != 0;
  }
}

bool WriteAll(int fd, const std::string& data, Clock::time_point deadline, int stopFd = -1) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    if (!WaitFor(fd, POLLOUT, deadline, stopFd)) return false;
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads until the peer closes its side.
bool ReadAll(int fd, std::string& data, Clock::time_point deadline, int stopFd = -1) {
  char buffer[4096];
  for (;;) {
    if (data.size() > kMaxRequest || !WaitFor(fd, POLLIN, deadline, stopFd)) return false;
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0) return false;
    if (n == 0) return true;
    data.append(buffer, static_cast<std::size_t>(n));
  }
}

Clock::time_point Deadline() { return Clock::now() + std::chrono::milliseconds(kIoTimeoutMs); }

}  // namespace

ControlSocket::ControlSocket(std::string path) : path_(std::move(path)) {}

ControlSocket::~ControlSocket() { Stop(); }

void ControlSocket::Start() {
  sockaddr_un address;
  if (!Address(path_, address)) {
    problem_ = "path too long for a socket: " + path_;
    return;
  }
  // A socket file that nobody answers on is left over from an ended bench.
  const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe >= 0) {
    const bool taken = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    if (taken) {
      problem_ = "another bench already listens on " + path_;
      return;
    }
  }
  unlink(path_.c_str());
  listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 8) != 0 || pipe2(wakeup_, O_CLOEXEC) != 0) {
    problem_ = "cannot listen on " + path_ + ": " + std::strerror(errno);
    Stop();
    return;
  }
  thread_ = std::thread([this] { Serve(); });
}

void ControlSocket::Stop() {
  if (wakeup_[1] >= 0) {
    const char stop = 'x';
    [[maybe_unused]] const ssize_t ignored = write(wakeup_[1], &stop, 1);
  }
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) {
    close(listener_);
    listener_ = -1;
    unlink(path_.c_str());
  }
  for (int& fd : wakeup_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void ControlSocket::Serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeup_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    Handle(connection);
    close(connection);
  }
}

void ControlSocket::Handle(int connection) {
  const auto deadline = Deadline();
  std::string request;
  if (!ReadAll(connection, request, deadline, wakeup_[0])) return;
  std::vector<std::string> args;
  for (std::size_t start = 0, end; (end = request.find('\0', start)) != std::string::npos; start = end + 1)
    args.push_back(request.substr(start, end - start));
  NoServiceStart onlyTheRunningService;
  const CommandResult result = RunCommand(args);
  WriteAll(connection, std::string(result.ok ? "ok\n" : "error\n") + result.text, deadline, wakeup_[0]);
}

bool SendCommand(const std::string& path, const std::vector<std::string>& args, bool& ok, std::string& text,
                 std::string& error) {
  sockaddr_un address;
  if (!Address(path, address)) {
    error = "path too long for a socket: " + path;
    return false;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    error = "no bench is listening on " + path + " (" + std::strerror(errno) + ")";
    if (fd >= 0) close(fd);
    return false;
  }
  std::string request;
  for (const std::string& arg : args) {
    request += arg;
    request.push_back('\0');
  }
  std::string reply;
  const auto deadline = Deadline();
  const bool exchanged = WriteAll(fd, request, deadline) && shutdown(fd, SHUT_WR) == 0 && ReadAll(fd, reply, deadline);
  close(fd);
  if (!exchanged) {
    error = "the bench did not answer on " + path;
    return false;
  }
  const std::size_t newline = reply.find('\n');
  ok = reply.compare(0, newline, "ok") == 0;
  text = newline == std::string::npos ? std::string() : reply.substr(newline + 1);
  return true;
}

}  // namespace telephony::sim
