// A console chat over the multiplayer link.
//
//   netchat host [PORT]            host a chat (port 27910 unless given)
//   netchat join HOST [PORT] NAME  join one as NAME
//
// Every line typed is sent to every other player; every message received is
// printed as "<sender>: <text>". Notices go to standard error. The program
// ends when standard input ends or the host goes away.
#include <poll.h>
#include <unistd.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

constexpr int kStdinWaitMs = 20;

[[noreturn]] void Fail(const std::string& message, int status) {
  StdErr(RtString(("netchat: " + message + "\n").c_str()));
  SetRuntimeError(status);
  ExitProgram();
}

[[noreturn]] void Usage() {
  Fail("usage: netchat host [PORT] | netchat join HOST [PORT] NAME", kErrInvalidArgument);
}

int ParsePort(const std::string& text) {
  const int port = TextToInt(text.c_str());
  if (port < 1 || port > 65535 || std::to_string(port) != text) Usage();
  return port;
}

// Names are asked of the host once per sender.
std::string SenderName(int sender, std::map<int, std::string>& names) {
  auto it = names.find(sender);
  if (it != names.end()) return it->second;
  std::string name = NetPlayerName(sender).c_str();
  if (name == "NO_DATA") return std::to_string(sender);
  names[sender] = name;
  return name;
}

}  // namespace

void ProgramStart(void*, void*, const char* commandLine, int) {
  std::vector<std::string> args;
  std::istringstream words(commandLine ? commandLine : "");
  for (std::string w; words >> w;) args.push_back(w);
  if (args.empty()) Usage();

  int me = 0;
  if (args[0] == "host" && args.size() <= 2) {
    const int port = args.size() == 2 ? ParsePort(args[1]) : kNetDefaultPort;
    if (!NetHost(port)) Fail("cannot host on port " + std::to_string(port), 1);
    me = NetCreatePlayer(RtString("host"));
  } else if (args[0] == "join" && (args.size() == 3 || args.size() == 4)) {
    const int port = args.size() == 4 ? ParsePort(args[2]) : kNetDefaultPort;
    if (!NetJoin(RtString(args[1].c_str()), port)) {
      Fail("no host answered at " + args[1] + ":" + std::to_string(port), 1);
    }
    me = NetCreatePlayer(RtString(args.back().c_str()));
  } else {
    Usage();
  }
  if (me < kNetFirstPlayer || me > kNetLastNumber) Fail("the host did not admit us", 1);
  StdErr(RtString(("netchat: you are player " + std::to_string(me) + "\n").c_str()));

  std::map<int, std::string> names;
  std::string pending;
  bool inputOpen = true;
  while (inputOpen) {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, kStdinWaitMs) > 0) {
      char buf[4096];
      const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
      if (n <= 0) {
        inputOpen = false;
      } else {
        pending.append(buf, static_cast<size_t>(n));
      }
    }
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos || (!inputOpen && !pending.empty())) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end == std::string::npos ? pending.size() : end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      // Longer lines go out in pieces; a message body holds at most 1024.
      for (size_t at = 0; at < line.size(); at += kNetMaxBody) {
        NetSendMessage(me, 0, RtString(line.substr(at, kNetMaxBody).c_str()));
      }
    }

    for (RtString text = NetReceiveMessage(me); text.Length() > 0; text = NetReceiveMessage(me)) {
      const std::string who = SenderName(NetLastSender(), names);
      StdOut(RtString((who + ": ").c_str()) + text + "\n");
    }
    for (int gone = NetPlayerLeft(); gone; gone = NetPlayerLeft()) {
      StdErr(RtString(("netchat: player " + std::to_string(gone) + " left\n").c_str()));
    }
    if (!NetIsConnected()) Fail("the host went away", 1);
  }
  End();
}
