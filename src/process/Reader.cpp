#include "process/Reader.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/ErrorHandling.h"
#include "process/ProcessRunner.h"
#include "process/ReadThread.h"

namespace ratemill {

TReader::TReader(TProcessRunner& runner) : FRunner(runner) {}

TReader::~TReader() { StopReading(); }

void TReader::StartReading(platform::TOsHandle pipe) {
  FStartsOnNewLine = true;
  FCurrentLine.clear();
  FCursor = 0;
  auto thread = std::make_shared<TReadThread>(std::move(pipe), FRunner.Window(),
                                              TProcessRunner::WM_RUNNER_READ,
                                              reinterpret_cast<std::uintptr_t>(this));
  thread->SetOnFinished([this] { ReaderFinished(); });
  FThread = thread;
  try {
    thread->Start();
  } catch (...) {
    FThread.reset();
    throw;
  }
}

void TReader::StopReading() {
  if (!FThread) return;
  FThread->Stop();
  FThread.reset();
}

void TReader::DrainBuffer() {
  while (FThread) {
    const std::size_t k = FThread->TakeData(FPiece);
    if (k == 0) break;
    ProcessPiece(FPiece, k);
  }
}

void TReader::ReaderFinished() {
  const std::shared_ptr<TReadThread> thread = FThread;
  // This runs through the thread's hand-over, where nobody would catch for
  // us: a failing handler costs its own piece, the rest is still delivered
  // and the completion still posted, so the run always ends.
  auto deliver = [this](auto&& step) {
    try {
      step();
    } catch (...) {
      platform::HandleException(std::current_exception(), &FRunner);
    }
  };
  while (FThread == thread && thread) {
    const std::size_t k = thread->TakeData(FPiece);
    if (k == 0) break;
    deliver([&] { ProcessPiece(FPiece, k); });
  }
  if (FThread != thread || !thread) return;  // a handler stopped the watching
  if (!FCurrentLine.empty()) deliver([&] { EmitLine(false); });
  if (FThread != thread) return;
  FThread.reset();
  FRunner.PostCompletion();
}

void TReader::ProcessPiece(const char* bytes, std::size_t count) {
  if (FOnRawRead) FOnRawRead(FRunner, std::string(bytes, count));
  std::size_t runStart = 0;
  bool blanks = false;  // the run holds a NUL or BEL
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c > 13) continue;
    switch (c) {
      case 0:  // NUL and BEL are written as blanks
      case 7:
        blanks = true;
        continue;
      case 8:  // BS: one column back; nothing is erased
        Flush(bytes + runStart, i - runStart, blanks);
        if (FCursor > 0) --FCursor;
        break;
      case 9:  // TAB: eight blanks, no tab stops
        Flush(bytes + runStart, i - runStart, blanks);
        WriteBlanks(8);
        break;
      case 10:
        Flush(bytes + runStart, i - runStart, blanks);
        EmitLine(true);
        break;
      case 13:  // CR: back to the start; later text overwrites the line
        Flush(bytes + runStart, i - runStart, blanks);
        FCursor = 0;
        break;
      default:  // the other control bytes are ordinary
        continue;
    }
    blanks = false;
    runStart = i + 1;
  }
  Flush(bytes + runStart, count - runStart, blanks);
  EmitLine(false);
}

void TReader::Flush(const char* run, std::size_t count, bool blanks) {
  if (count == 0) return;
  const std::size_t start = FCursor;
  const std::size_t overlap = std::min(count, FCurrentLine.size() - start);
  std::memcpy(FCurrentLine.data() + start, run, overlap);
  if (overlap < count) FCurrentLine.append(run + overlap, count - overlap);
  FCursor = start + count;
  if (blanks) {
    char* target = FCurrentLine.data() + start;
    for (std::size_t i = 0; i < count; ++i) {
      if (target[i] == 0 || target[i] == 7) target[i] = ' ';
    }
  }
}

void TReader::WriteBlanks(std::size_t count) {
  const std::size_t end = FCursor + count;
  if (end > FCurrentLine.size()) FCurrentLine.resize(end);
  std::memset(FCurrentLine.data() + FCursor, ' ', count);
  FCursor = end;
}

void TReader::EmitLine(bool next) {
  if (!FRunner.ConsoleOptions().Contains(TConsoleOption::coOwnerData)) {
    if (FStartsOnNewLine || FLines.empty()) {
      FLines.push_back(FCurrentLine);
    } else {
      FLines.back() = FCurrentLine;
    }
  }
  // The line state moves on even when the handler throws, so the next piece
  // continues the stream where the bytes left it.
  struct TAdvance {
    TReader& R;
    bool Next;
    ~TAdvance() {
      if (Next) {
        R.FCurrentLine.clear();
        R.FCursor = 0;
      }
      R.FStartsOnNewLine = Next;
    }
  } advance{*this, next};
  if (FOnRead) FOnRead(FRunner, FCurrentLine, FStartsOnNewLine);
}

}  // namespace ratemill
