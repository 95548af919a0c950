#pragma once

#include <QAbstractTableModel>
#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch/RunOverview.h"
#include "frontend/arguments/WavHeaderReader.h"

class QTimer;

namespace ratemill {

// The captions of the run's status table, translatable. In `Format`, "%1"
// stands for the rate and "%2" for the bits.
struct TRunStatusTexts {
  std::array<std::string, 6> Columns = {"Datei", "Status", "Fortschritt", "Zeit", "Ergebnis", "Hinweis"};
  // In the order of `TFileState`.
  std::array<std::string, 6> States = {"wartet", "läuft", "fertig", "fehlgeschlagen", "übersprungen", "abgebrochen"};
  std::string Format = "%1 Hz, %2 Bit";
};

// One row per file of a run: where it stands, how far it got, how long it
// took, what it wrote and why it failed. A run of thousands of files changes
// rows far more often than a screen shows them, so changes are collected and
// announced together at most once per frame, as ranges of the rows that
// changed; the whole model is reset only when a run begins.
class TRunStatusModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using Clock = std::chrono::steady_clock;

  enum TColumn { colFile, colState, colProgress, colTime, colResult, colNote, kColumnCount };

  struct TRow {
    // The path as the file system has it; the table shows a rendering.
    std::string Path;
    TFileState State = TFileState::Waiting;
    int Percent = 0;
    Clock::time_point Started{};
    // Set when the file's conversion has ended.
    std::optional<std::chrono::seconds> Elapsed;
    std::optional<TWavFormat> Format;
    // The reason of a failure or skip, or the warning of a file done.
    std::string Note;
    bool Warning = false;
    // Where the file's block begins in the output and in the error pane, as
    // counted by `TConsoleOutputForm::InfoLinesAdded` / `ErrorLinesAdded`.
    std::optional<std::size_t> InfoLine;
    std::optional<std::size_t> ErrorLine;
  };

  explicit TRunStatusModel(QObject* parent = nullptr);

  // One waiting row per path, replacing the rows of an earlier run.
  void Reset(const std::vector<std::string>& paths);
  void Clear();

  std::size_t Rows() const { return FRows.size(); }
  const TRow& Row(std::size_t row) const { return FRows.at(row); }

  void SetRunning(std::size_t row, Clock::time_point now);
  void SetPercent(std::size_t row, int percent);
  // The file's outcome: done, failed, skipped or cancelled, whether it ran
  // or not. A running file's elapsed time stops here.
  void SetEnded(std::size_t row, TFileState state, const std::string& note, bool warning,
                const std::optional<TWavFormat>& format, Clock::time_point now);
  // The first line of the file's block in a pane; later calls keep the first.
  void SetInfoLine(std::size_t row, std::size_t line);
  void SetErrorLine(std::size_t row, std::size_t line);

  void SetTexts(const TRunStatusTexts& texts);
  const TRunStatusTexts& Texts() const { return FTexts; }

  // Announces every change made so far now instead of at the next frame.
  void Flush();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  void Changed(std::size_t row);
  void TickRunning();
  QString DisplayText(const TRow& row, int column) const;

  std::vector<TRow> FRows;
  // Rows changed since the last announcement, each once.
  std::vector<std::size_t> FDirty;
  std::vector<bool> FIsDirty;
  // The rows that are running now; their elapsed time moves every second.
  std::vector<std::size_t> FRunning;
  TRunStatusTexts FTexts;
  QTimer* FFlushTimer = nullptr;
  QTimer* FClockTimer = nullptr;
};

}  // namespace ratemill
