// A child program for the process runner's tests, scripted by its arguments,
// which it carries out in order:
//   out:TEXT  err:TEXT      write TEXT to stdout / stderr in one write; escapes
//                           \r \n \b \t \0 \a \\ and \xHH
//   sleep:MS                pause
//   wait:GATE               block until the test releases GATE (ChildGate.h)
//   flood:out:N flood:err:N write N bytes of 80-byte lines as fast as possible
//   count:out:N             write N eight-byte tokens "%07X." (0, 1, 2, ...)
//   grandchild:GATE         leave a grandchild holding our stdout and stderr;
//                           it waits on GATE, writes "late\n" and exits
//   exit:N                  exit at once with code N
//   die:N                   end at once as if killed by signal N (EndBySignal.h)
//   env:NAME                print "NAME=value" or "NAME unset"
//   cwd  args  fds          print the folder, each argv entry as [arg], the
//                           open descriptors or handles besides the standard
//                           ones, as "fds:" followed by the list
//   priority                print "priority:" and the scheduling priority
//   read:HANDLE             print "read:" and what the inherited file HANDLE
//                           holds at its start (nothing when it is not open)
// Arguments it does not know are ignored, so argv[0] may be anything. What
// differs between systems lives in ChildSystem_*.cpp.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ChildSystem.h"
#include "EndBySignal.h"

namespace {

using ratemill::test::child::TStream;

void WriteText(TStream stream, const std::string& s) { ratemill::test::child::WriteAll(stream, s.data(), s.size()); }

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    switch (c) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 'b': out += '\b'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'a': out += '\a'; break;
      case 'x':
        out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
        i += 2;
        break;
      default: out += c;
    }
  }
  return out;
}

bool Starts(const std::string& s, const char* prefix, std::string& rest) {
  const std::size_t n = std::strlen(prefix);
  if (s.compare(0, n, prefix) != 0) return false;
  rest = s.substr(n);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace child = ratemill::test::child;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    std::string v;
    if (Starts(a, "out:", v)) {
      WriteText(TStream::Output, Unescape(v));
    } else if (Starts(a, "err:", v)) {
      WriteText(TStream::Error, Unescape(v));
    } else if (Starts(a, "sleep:", v)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(v.c_str())));
    } else if (Starts(a, "wait:", v)) {
      child::WaitOnGate(v);
    } else if (Starts(a, "flood:", v)) {
      const TStream stream = v.compare(0, 4, "err:") == 0 ? TStream::Error : TStream::Output;
      unsigned long long left = std::strtoull(v.c_str() + 4, nullptr, 10);
      std::vector<char> chunk(1 << 16, 'x');
      for (std::size_t at = 79; at < chunk.size(); at += 80) chunk[at] = '\n';
      while (left > 0) {
        const std::size_t n = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        child::WriteAll(stream, chunk.data(), n);
        left -= n;
      }
    } else if (Starts(a, "count:out:", v)) {
      const unsigned long long tokens = std::strtoull(v.c_str(), nullptr, 10);
      std::string chunk;
      char token[32];
      for (unsigned long long t = 0; t < tokens; ++t) {
        std::snprintf(token, sizeof token, "%07llX.", t);
        chunk.append(token, 8);
        if (chunk.size() >= (1 << 16)) {
          WriteText(TStream::Output, chunk);
          chunk.clear();
        }
      }
      WriteText(TStream::Output, chunk);
    } else if (Starts(a, "grandchild:", v)) {
      child::LeaveGrandchild(v);
    } else if (Starts(a, "exit:", v)) {
      std::_Exit(std::atoi(v.c_str()));
    } else if (Starts(a, "die:", v)) {
      ratemill::test::EndBySignal(std::atoi(v.c_str()));
    } else if (Starts(a, "env:", v)) {
      const char* value = std::getenv(v.c_str());
      WriteText(TStream::Output, value ? v + "=" + value + "\n" : v + " unset\n");
    } else if (Starts(a, "read:", v)) {
      WriteText(TStream::Output, "read:" + child::ReadInherited(v) + "\n");
    } else if (a == "cwd") {
      WriteText(TStream::Output, child::CurrentFolder() + "\n");
    } else if (a == "args") {
      for (int j = 0; j < argc; ++j) WriteText(TStream::Output, std::string("[") + argv[j] + "]\n");
    } else if (a == "fds") {
      WriteText(TStream::Output, "fds:" + child::InheritedHandles() + "\n");
    } else if (a == "priority") {
      WriteText(TStream::Output, "priority:" + child::Priority() + "\n");
    }
  }
  return 0;
}
