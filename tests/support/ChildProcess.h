#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// A program started for a test, in a given folder, with its standard output
// on a pipe the test reads line by line and its standard error in a file;
// given a terminal, in a session of its own with that terminal as its
// controlling terminal and standard input.
// Whatever happens to the test, the program is stopped and reaped.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& command, const std::string& folder,
               const std::string& errorFile, const std::vector<std::string>& environment = {},
               const std::string& terminal = {}) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    output_ = pipeEnds[0];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (!terminal.empty()) {
      // A session leader's first terminal opened without O_NOCTTY becomes its
      // controlling one; the new session comes before the file actions.
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, terminal.c_str(), O_RDWR, 0);
    }
    std::vector<char*> argv;
    for (const auto& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> variables(environment);
    for (char** variable = environ; *variable != nullptr; ++variable) variables.emplace_back(*variable);
    std::vector<char*> envp;
    for (auto& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) ::close(output_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output without its line end; nullopt when none
  // came within the limit or the output ended.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (const auto end = buffered_.find('\n'); end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd wanted{output_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&wanted, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char chunk[4096];
      const ssize_t got = ::read(output_, chunk, sizeof chunk);
      if (got <= 0) return std::nullopt;
      buffered_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  // Reads lines until one equals `wanted` or the output ends; the lines read,
  // that one included.
  std::vector<std::string> ReadUntil(const std::string& wanted,
                                     std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::vector<std::string> lines;
    while (const auto line = ReadLine(limit)) {
      lines.push_back(*line);
      if (*line == wanted) break;
    }
    return lines;
  }

  // Compares the lines still to come with `expected` as they come and stops
  // at the first that differs or does not come within `limit`, so that a run
  // gone wrong fails at once; when `thenEnds`, the output must end after them.
  // "" when all came so.
  std::string FirstDifference(const std::vector<std::string>& expected, bool thenEnds = true,
                              std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    for (std::size_t i = 0; i < expected.size() || thenEnds; ++i) {
      const auto line = ReadLine(limit);
      const std::string at = "line " + std::to_string(i + 1) + ": ";
      if (i == expected.size()) return line ? at + "\"" + *line + "\" after the last expected" : "";
      if (!line) return at + "\"" + expected[i] + "\" did not come";
      if (*line != expected[i]) return at + "\"" + *line + "\", not \"" + expected[i] + "\"";
    }
    return {};
  }

  // Every line still to come, until the program closes its output.
  // A line never holds a line end, so none is wanted.
  std::vector<std::string> ReadRest(std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    return ReadUntil("\n", limit);
  }

  void Signal(int signal) {
    if (pid_ > 0 && !status_) ::kill(pid_, signal);
  }

  // The exit code once the program has ended; -1 when it did not end within
  // the limit or ended by a signal.
  int Wait(std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_ && pid_ > 0) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_ && WIFEXITED(*status_) ? WEXITSTATUS(*status_) : -1;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string buffered_;
  std::optional<int> status_;
};
