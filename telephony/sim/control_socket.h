// The control socket of the simulated lines: a Unix stream socket on which
// each connection carries one command and its answer.
//
// Request: the command's words, each followed by a zero byte, then the
// client closes its sending side. Answer: "ok\n" or "error\n", then the text; the server then
// closes the connection.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace telephony::sim {

class ControlSocket {
 public:
  explicit ControlSocket(std::string path);
  ~ControlSocket();

  // Listens unless another bench already does; Problem() tells why not.
  void Start();
  void Stop();
  std::string Problem() const { return problem_; }

 private:
  void Serve();
  void Handle(int connection);

  std::string path_;
  std::string problem_;
  int listener_ = -1;
  int wakeup_[2] = {-1, -1};
  std::thread thread_;
};

// Sends one command to the bench listening at path. False with error when
// no bench answers; otherwise ok and text are the bench's answer.
bool SendCommand(const std::string& path, const std::vector<std::string>& args, bool& ok, std::string& text,
                 std::string& error);

}  // namespace telephony::sim
