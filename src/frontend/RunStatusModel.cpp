#include "frontend/RunStatusModel.h"

#include <QApplication>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "platform/FileSystem.h"

namespace ratemill {
namespace {

// About one frame of a 60 Hz screen, as the panes show their lines.
constexpr int kFlushIntervalMs = 16;
constexpr int kClockIntervalMs = 1000;

// A path's bytes as text the table can show. What cannot be decoded shows as
// a replacement character; the row keeps the bytes themselves.
QString Rendering(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

TRunStatusModel::TRunStatusModel(QObject* parent) : QAbstractTableModel(parent) {
  FFlushTimer = new QTimer(this);
  FFlushTimer->setSingleShot(true);
  FFlushTimer->setInterval(kFlushIntervalMs);
  connect(FFlushTimer, &QTimer::timeout, this, &TRunStatusModel::Flush);
  FClockTimer = new QTimer(this);
  FClockTimer->setInterval(kClockIntervalMs);
  connect(FClockTimer, &QTimer::timeout, this, &TRunStatusModel::TickRunning);
}

void TRunStatusModel::Reset(const std::vector<std::string>& paths) {
  beginResetModel();
  FRows.assign(paths.size(), TRow{});
  for (std::size_t i = 0; i < paths.size(); ++i) FRows[i].Path = paths[i];
  FDirty.clear();
  FIsDirty.assign(paths.size(), false);
  FRunning.clear();
  endResetModel();
  FFlushTimer->stop();
  FClockTimer->stop();
}

void TRunStatusModel::Clear() { Reset({}); }

void TRunStatusModel::SetRunning(std::size_t row, Clock::time_point now) {
  TRow& r = FRows.at(row);
  r.State = TFileState::Running;
  r.Started = now;
  r.Percent = 0;
  FRunning.push_back(row);
  if (!FClockTimer->isActive()) FClockTimer->start();
  Changed(row);
}

void TRunStatusModel::SetPercent(std::size_t row, int percent) {
  TRow& r = FRows.at(row);
  if (r.Percent == percent) return;
  r.Percent = percent;
  Changed(row);
}

void TRunStatusModel::SetEnded(std::size_t row, TFileState state, const std::string& note, bool warning,
                               const std::optional<TWavFormat>& format, Clock::time_point now) {
  TRow& r = FRows.at(row);
  if (r.State == TFileState::Running) {
    r.Elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - r.Started);
    FRunning.erase(std::remove(FRunning.begin(), FRunning.end(), row), FRunning.end());
    if (FRunning.empty()) FClockTimer->stop();
  }
  r.State = state;
  r.Note = note;
  r.Warning = warning;
  r.Format = format;
  if (state == TFileState::Done) r.Percent = 100;
  Changed(row);
}

void TRunStatusModel::SetInfoLine(std::size_t row, std::size_t line) {
  TRow& r = FRows.at(row);
  if (!r.InfoLine) r.InfoLine = line;
}

void TRunStatusModel::SetErrorLine(std::size_t row, std::size_t line) {
  TRow& r = FRows.at(row);
  if (!r.ErrorLine) r.ErrorLine = line;
}

void TRunStatusModel::SetTexts(const TRunStatusTexts& texts) {
  FTexts = texts;
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
  if (!FRows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

void TRunStatusModel::Changed(std::size_t row) {
  if (!FIsDirty[row]) {
    FIsDirty[row] = true;
    FDirty.push_back(row);
  }
  if (!FFlushTimer->isActive()) FFlushTimer->start();
}

void TRunStatusModel::TickRunning() {
  for (std::size_t row : FRunning) Changed(row);
}

// Rows that changed side by side are announced as one range: a run moves
// through its files in order, so a frame's changes are mostly a few ranges
// however many rows they touch.
void TRunStatusModel::Flush() {
  FFlushTimer->stop();
  if (FDirty.empty()) return;
  std::vector<std::size_t> dirty;
  dirty.swap(FDirty);
  std::sort(dirty.begin(), dirty.end());
  for (std::size_t row : dirty) FIsDirty[row] = false;
  std::size_t first = dirty.front();
  std::size_t last = first;
  auto announce = [this](std::size_t from, std::size_t to) {
    emit dataChanged(index(static_cast<int>(from), 0), index(static_cast<int>(to), kColumnCount - 1));
  };
  for (std::size_t i = 1; i < dirty.size(); ++i) {
    if (dirty[i] != last + 1) {
      announce(first, last);
      first = dirty[i];
    }
    last = dirty[i];
  }
  announce(first, last);
}

int TRunStatusModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TRunStatusModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QString TRunStatusModel::DisplayText(const TRow& row, int column) const {
  switch (column) {
    case colFile: return Rendering(platform::ExtractFileName(row.Path));
    case colState: return QString::fromStdString(FTexts.States.at(static_cast<std::size_t>(row.State)));
    case colProgress:
      // A percentage says something only while the file runs; afterwards
      // the state says it.
      return row.State == TFileState::Running ? QString("%1%").arg(row.Percent) : QString();
    case colTime:
      if (row.State == TFileState::Running)
        return QString::fromStdString(
            ClockText(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - row.Started)));
      return row.Elapsed ? QString::fromStdString(ClockText(*row.Elapsed)) : QString();
    case colResult:
      if (!row.Format) return QString();
      return QString::fromStdString(FTexts.Format).arg(row.Format->SampleRate).arg(row.Format->BitsPerSample);
    case colNote: return Rendering(row.Note);
    default: return QString();
  }
}

QVariant TRunStatusModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) return {};
  const TRow& row = FRows[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
      QString text = DisplayText(row, index.column());
      // Assistive technology says what the mark shows.
      if (role == Qt::AccessibleTextRole && index.column() == colState && row.Warning && !row.Note.empty())
        text += ": " + Rendering(row.Note);
      return text;
    }
    case Qt::ToolTipRole:
      if (index.column() == colFile) return Rendering(row.Path);
      if (index.column() == colNote || index.column() == colState) return Rendering(row.Note);
      return {};
    case Qt::DecorationRole:
      if (index.column() != colState) return {};
      // A file done with a warning is marked, so that it stands out among
      // the plain ones; a failed file is marked as the error it is.
      if (row.State == TFileState::Done && row.Warning)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      if (row.State == TFileState::Failed) return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == colProgress || index.column() == colTime)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default: return {};
  }
}

QVariant TRunStatusModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  return QString::fromStdString(FTexts.Columns[static_cast<std::size_t>(section)]);
}

}  // namespace ratemill
