#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServicesHandle.h"
#include "process/RunnerTypes.h"

namespace ratemill {

class TReadThread;

// Which captured stream a reader serves. Data notices carry it, so the
// receiver finds the reader without being handed an address.
enum class TReaderStream : std::uintptr_t { stOutput = 1, stError = 2 };

// One captured stream of the child. The read thread moves bytes into a
// buffer it shares with the main thread; here, on the main thread, the bytes
// are taken in pieces and assembled into lines the way a console shows them.
class TReader {
 public:
  static constexpr std::size_t kPieceSize = 1024;
  // Longest line whose storage is kept for the next line; a longer one is
  // given back when it ends, so one huge line does not stay for good.
  static constexpr std::size_t kKeptLineCapacity = 65536;

  // `sender` is passed to the read events; `onFinished` runs on the main
  // thread once per run, after the stream's last delivery.
  TReader(TProcessRunner& sender, TReaderStream stream, std::function<void()> onFinished);
  ~TReader();
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  TReaderStream Stream() const { return FStream; }
  const TRunnerReadEvent& OnRead() const { return FOnRead; }
  void SetOnRead(TRunnerReadEvent handler) { FOnRead = std::move(handler); }
  const TRunnerRawReadEvent& OnRawRead() const { return FOnRawRead; }
  void SetOnRawRead(TRunnerRawReadEvent handler) { FOnRawRead = std::move(handler); }

  // The reader's own copy of the lines delivered, kept only while asked for:
  // nobody pays for lines that nobody reads. Switching it off gives the kept
  // lines back; switching it on again starts from an empty list.
  bool KeepLines() const { return FKeepLines; }
  void SetKeepLines(bool value);
  // While set, the owner keeps the lines and the kept list is left as it is
  // (consulted at every delivered line).
  bool OwnerData() const { return FOwnerData; }
  void SetOwnerData(bool value) { FOwnerData = value; }
  const std::vector<std::string>& Lines() const { return FLines; }
  // Bytes of storage the reader holds for lines between deliveries: the kept
  // lines and the line being assembled.
  std::size_t HeldBytes() const;

  // Line state, for those who inspect a stream in progress.
  const std::string& CurrentLine() const { return FCurrentLine; }
  std::size_t Cursor() const { return FCursor; }
  bool StartsOnNewLine() const { return FStartsOnNewLine; }
  bool Reading() const { return FThread != nullptr; }

  // Main thread. Resets the line state and starts a read thread that owns
  // `pipe` and posts its data notices to `window`.
  void StartReading(platform::TOsHandle pipe, std::shared_ptr<platform::IMessageWindow> window);
  // Main thread. Detaches and stops the read thread: nothing more is
  // delivered and no completion follows.
  void StopReading();
  // Main thread. Delivers the output buffered so far, piece by piece.
  void DrainBuffer();
  // Main thread. Raw event, then line assembly and line events for one piece.
  void ProcessPiece(const char* bytes, std::size_t count);
  // Main thread. Delivers a line of its own saying that `count` bytes of the
  // stream were dropped here; the text after it starts on a new line.
  void ProcessDropped(std::size_t count);

  // The console text of the line that stands for `count` dropped bytes.
  static std::string DroppedText(std::size_t count);

 private:
  void Write(const char* run, std::size_t count);
  void WriteBlanks(std::size_t count);
  void EmitLine(bool next);
  // Empties the line being assembled; a long line's storage is given back.
  void ForgetLine();
  void ReaderFinished();

  TProcessRunner& FSender;
  const TReaderStream FStream;
  std::function<void()> FOnFinished;
  bool FKeepLines = false;
  bool FOwnerData = true;
  std::vector<std::string> FLines;
  TRunnerRawReadEvent FOnRawRead;
  TRunnerReadEvent FOnRead;
  std::shared_ptr<TReadThread> FThread;
  std::string FCurrentLine;
  std::size_t FCursor = 0;
  bool FStartsOnNewLine = true;
  char FPiece[kPieceSize];
};

}  // namespace ratemill
