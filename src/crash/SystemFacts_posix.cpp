#include <cxxabi.h>
#include <execinfo.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <typeinfo>

#include "crash/SystemFacts.h"

namespace ratemill::crash {
namespace {

std::string Demangle(const char* name) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> readable(abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(name);
}

}  // namespace

std::string OperatingSystemDescription() {
  struct utsname name {};
  if (::uname(&name) != 0) return {};
  return std::string(name.sysname) + ' ' + name.release + ' ' + name.version + ' ' + name.machine;
}

std::string ExceptionTypeName(const std::exception_ptr& error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type ? Demangle(type->name()) : std::string();
  }
}

std::string CaptureStackTrace() {
  void* frames[64];
  const int count = ::backtrace(frames, 64);
  std::unique_ptr<char*, void (*)(void*)> symbols(::backtrace_symbols(frames, count), std::free);
  if (!symbols) return {};
  std::string trace;
  // Frame 0 is this function itself.
  for (int i = 1; i < count; ++i) {
    trace += DemangleStackLine(symbols.get()[i]);
    trace += '\n';
  }
  return trace;
}

std::string DemangleStackLine(const std::string& line) {
  // glibc writes "file(mangled+0xoffset) [0xaddress]".
  const std::size_t open = line.find('(');
  if (open == std::string::npos) return line;
  const std::size_t plus = line.find('+', open);
  const std::size_t close = line.find(')', open);
  const std::size_t end = plus < close ? plus : close;
  if (end == std::string::npos || end == open + 1) return line;
  const std::string mangled = line.substr(open + 1, end - open - 1);
  if (mangled.rfind("_Z", 0) != 0) return line;
  return line.substr(0, open + 1) + Demangle(mangled.c_str()) + line.substr(end);
}

std::string CurrentThreadDescription() {
  const long id = ::syscall(SYS_gettid);
  char name[32] = {};
  ::pthread_getname_np(::pthread_self(), name, sizeof name);
  std::string text = id == ::getpid() ? "Hauptthread" : "Thread";
  text += " " + std::to_string(id);
  if (name[0] != '\0') text += std::string(" (") + name + ")";
  return text;
}

long long SecondsSinceEpoch() { return static_cast<long long>(std::time(nullptr)); }

}  // namespace ratemill::crash
