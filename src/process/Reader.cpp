#include "process/Reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "platform/ErrorHandling.h"
#include "platform/ProcessServices.h"
#include "process/ProcessRunner.h"
#include "process/ReadThread.h"

namespace ratemill {

namespace {

// What a byte does to the line. Everything that is not listed, the other
// control bytes included, is written as it is.
enum TByteKind : unsigned char { bkOrdinary, bkBlank, bkBack, bkTab, bkLineFeed, bkReturn };

constexpr std::array<unsigned char, 256> MakeByteKinds() {
  std::array<unsigned char, 256> kinds{};
  kinds[0] = bkBlank;
  kinds[7] = bkBlank;
  kinds[8] = bkBack;
  kinds[9] = bkTab;
  kinds[10] = bkLineFeed;
  kinds[13] = bkReturn;
  return kinds;
}

constexpr std::array<unsigned char, 256> kByteKinds = MakeByteKinds();

// Every byte that does something is below 14.
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kFirstOrdinary = 14 * kOnes;

bool Ordinary(const char* at) { return kByteKinds[static_cast<unsigned char>(*at)] == bkOrdinary; }

// The first byte in [at, end) that does something other than being written,
// or `end`. Converter output is mostly plain text between the control bytes,
// so eight bytes are looked at per step.
const char* FindControl(const char* at, const char* end) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - at >= 8) {
      std::uint64_t word;
      std::memcpy(&word, at, sizeof word);
      // The high bit of each byte below 14 is set; bytes after the first of
      // them may be marked too by the borrow, but the first mark is exact.
      const std::uint64_t marks = (word - kFirstOrdinary) & ~word & kHighBits;
      if (marks == 0) {
        at += 8;
        continue;
      }
      const char* first = at + std::countr_zero(marks) / 8;
      if (!Ordinary(first)) return first;
      at = first + 1;  // one of the other bytes below 14, which are written as they are
    }
  }
  while (at != end && Ordinary(at)) ++at;
  return at;
}

}  // namespace

TReader::TReader(TProcessRunner& sender, TReaderStream stream, std::function<void()> onFinished)
    : FSender(sender), FStream(stream), FOnFinished(std::move(onFinished)) {}

TReader::~TReader() { StopReading(); }

void TReader::SetKeepLines(bool value) {
  FKeepLines = value;
  if (!value) std::vector<std::string>().swap(FLines);
}

std::size_t TReader::HeldBytes() const {
  std::size_t bytes = FLines.capacity() * sizeof(std::string) + FCurrentLine.capacity();
  for (const std::string& line : FLines) bytes += line.capacity();
  return bytes;
}

void TReader::StartReading(platform::TOsHandle pipe, std::shared_ptr<platform::IMessageWindow> window) {
  FStartsOnNewLine = true;
  ForgetLine();
  platform::PrepareReadEnd(pipe);
  auto thread = std::make_shared<TReadThread>(std::move(pipe), std::move(window), TProcessRunner::WM_RUNNER_READ,
                                              static_cast<std::uintptr_t>(FStream));
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
  if (!FThread) return;
  // Before the first take: bytes that arrive from here on post a notice of
  // their own unless this drain takes them, so none are left behind.
  FThread->AcceptNotice();
  while (FThread) {
    std::size_t dropped = 0;
    const std::size_t k = FThread->TakeData(FPiece, dropped);
    if (k == 0) break;
    if (dropped != 0) ProcessDropped(dropped);
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
      platform::HandleException(std::current_exception(), &FSender);
    }
  };
  while (FThread == thread && thread) {
    std::size_t dropped = 0;
    const std::size_t k = thread->TakeData(FPiece, dropped);
    if (k == 0) break;
    if (dropped != 0) deliver([&] { ProcessDropped(dropped); });
    if (FThread != thread) break;
    deliver([&] { ProcessPiece(FPiece, k); });
  }
  if (FThread != thread || !thread) return;  // a handler stopped the watching
  if (!FCurrentLine.empty()) deliver([&] { EmitLine(false); });
  if (FThread != thread) return;
  FThread.reset();
  // The unfinished last line stays readable until the next start, but not
  // the room that longer lines of this run needed.
  FCurrentLine.shrink_to_fit();
  if (FOnFinished) FOnFinished();
}

std::string TReader::DroppedText(std::size_t count) {
  return "[" + std::to_string(count) + " bytes of output dropped]";
}

void TReader::ProcessDropped(std::size_t count) {
  // The line in front of the gap has lost its continuation: it is ended as it
  // stands, and the mark gets a line of its own below it, so no text from
  // after the gap is written over text from before it.
  if (!FCurrentLine.empty()) EmitLine(true);
  FCurrentLine = DroppedText(count);
  FCursor = FCurrentLine.size();
  EmitLine(true);
}

void TReader::ProcessPiece(const char* bytes, std::size_t count) {
  if (FOnRawRead) FOnRawRead(FSender, std::string(bytes, count));
  const char* at = bytes;
  const char* const end = bytes + count;
  while (at != end) {
    const char* const next = FindControl(at, end);
    if (next != at) Write(at, static_cast<std::size_t>(next - at));
    if (next == end) break;
    switch (kByteKinds[static_cast<unsigned char>(*next)]) {
      case bkBlank:  // NUL and BEL show as blanks
        WriteBlanks(1);
        break;
      case bkBack:  // one column back; nothing is erased
        if (FCursor > 0) --FCursor;
        break;
      case bkTab:  // eight blanks, no tab stops
        WriteBlanks(8);
        break;
      case bkLineFeed: EmitLine(true); break;
      case bkReturn:  // back to the start; later text overwrites the line
        FCursor = 0;
        break;
      default: break;
    }
    at = next + 1;
  }
  EmitLine(false);
}

void TReader::Write(const char* run, std::size_t count) {
  const std::size_t size = FCurrentLine.size();
  if (FCursor == size) {
    FCurrentLine.append(run, count);
  } else {
    const std::size_t overlap = std::min(count, size - FCursor);
    std::memcpy(FCurrentLine.data() + FCursor, run, overlap);
    if (overlap < count) FCurrentLine.append(run + overlap, count - overlap);
  }
  FCursor += count;
}

void TReader::WriteBlanks(std::size_t count) {
  const std::size_t size = FCurrentLine.size();
  if (FCursor == size) {
    FCurrentLine.append(count, ' ');
  } else {
    const std::size_t overlap = std::min(count, size - FCursor);
    std::memset(FCurrentLine.data() + FCursor, ' ', overlap);
    if (overlap < count) FCurrentLine.append(count - overlap, ' ');
  }
  FCursor += count;
}

void TReader::ForgetLine() {
  if (FCurrentLine.capacity() > kKeptLineCapacity) {
    std::string().swap(FCurrentLine);
  } else {
    FCurrentLine.clear();
  }
  FCursor = 0;
}

void TReader::EmitLine(bool next) {
  if (FKeepLines && !FOwnerData) {
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
      if (Next) R.ForgetLine();
      R.FStartsOnNewLine = Next;
    }
  } advance{*this, next};
  if (FOnRead) FOnRead(FSender, FCurrentLine, FStartsOnNewLine);
}

}  // namespace ratemill
