#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <exception>
#include <map>
#include <optional>

#include "files/ExactPath.h"
#include "files/FindFiles.h"
#include "files/UriList.h"
#include "frontend/MainForm.h"
#include "platform/ErrorHandling.h"
#include "platform/FileSystem.h"

namespace ratemill {
namespace {

constexpr const char* kWavMask = "*.wav";
// Both uses of the folder dialog carry the same, untranslated title.
constexpr const char* kBrowseFolderTitle = "Zielordner suchen";

// New entries follow the old ones in the order given. Entries are added one
// by one rather than by joining the list's text and splitting it again: a
// file name may hold a line break, and a split would turn it into two
// entries that name no file. Like a refill, the addition leaves nothing
// selected and shows the list from the top. Each entry keeps its path's
// bytes and shows a rendering of them.
void AppendToFileList(QListWidget& list, const std::vector<std::string>& paths) {
  list.selectionModel()->clear();
  for (const std::string& path : paths) list.addItem(MakePathItem(path));
  list.scrollToTop();
}

// Shows the shared folder dialog, opening at the folder chosen last through
// either button, and remembers a new choice for the next time.
std::optional<std::string> BrowseFolder(platform::IDialogs& dialogs, std::string& lastFolder) {
  platform::TBrowseFolderRequest request;
  request.Title = kBrowseFolderTitle;
  request.InitialFolder = lastFolder;
  std::optional<std::string> folder = dialogs.BrowseFolder(request);
  if (folder) lastFolder = *folder;
  return folder;
}

// The folder a tree scan starts from. A choice without a file-system path
// (a virtual folder) arrives empty and means the root.
std::string ScanRoot(const std::string& folder) {
  if (folder.empty()) return std::string(1, platform::PathDelim);
  return platform::IncludeTrailingPathDelimiter(folder);
}

// Local file paths of dropped URLs, in the order they came; anything that is
// not a local file (a web address, say) has no place in the list. The list is
// decoded from its raw bytes: the toolkit's URLs turn a name that is no UTF-8
// into a path of another file.
std::vector<std::string> LocalPaths(const QMimeData* mime) {
  if (mime == nullptr || !mime->hasUrls()) return {};
  const QByteArray uriList = mime->data(QStringLiteral("text/uri-list"));
  return LocalPathsOfUriList(std::string_view(uriList.constData(), static_cast<std::size_t>(uriList.size())));
}

// Accepts a drag or drop only as a copy. Accepting a move would tell the
// source to delete what was dragged, and the list only names the files.
bool AcceptAsCopy(QDropEvent& event) {
  if (!(event.possibleActions() & Qt::CopyAction) || LocalPaths(event.mimeData()).empty()) {
    event.ignore();
    return false;
  }
  event.setDropAction(Qt::CopyAction);
  event.accept();
  return true;
}

}  // namespace

void TMainForm::OpenButtonClick() {
  platform::TOpenFilesRequest request;
  request.Title = "Dateien hinzufügen";
  request.Filters = {{"WAV-Dateien", kWavMask}, {"alle Dateien", "*.*"}};
  request.MultiSelect = true;
  const std::optional<std::vector<std::string>> chosen = FServices.Dialogs->OpenFiles(request);
  if (!chosen) return;
  AppendToFileList(*FileList, *chosen);
}

void TMainForm::BatchAddFilesButtonClick() {
  const std::optional<std::string> folder = BrowseFolder(*FServices.Dialogs, FBrowseFolder);
  if (!folder) return;
  std::vector<std::string> found;
  FindFilesRecursive(ScanRoot(*folder), kWavMask, found, true);
  // An empty tree still counts as an addition: the selection goes as well.
  AppendToFileList(*FileList, found);
}

void TMainForm::DeleteButtonClick() {
  // From the last entry down, so the indices still to be visited stay valid.
  for (int i = FileList->count() - 1; i >= 0; --i) {
    if (FileList->item(i)->isSelected()) delete FileList->takeItem(i);
  }
}

void TMainForm::FindFolderButtonClick() {
  const std::optional<std::string> folder = BrowseFolder(*FServices.Dialogs, FBrowseFolder);
  if (!folder) return;
  // Taken as the dialog gives it; the batch run adds the delimiter.
  SetTargetDirectory(*folder);
}

std::vector<std::string> TMainForm::FileListEntries() const {
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(FileList->count()));
  for (int i = 0; i < FileList->count(); ++i) entries.push_back(PathOfItem(*FileList->item(i)));
  return entries;
}

void TMainForm::RemoveFileListEntries(const std::vector<std::string>& entries) {
  std::map<std::string, int> handled;
  for (const std::string& entry : entries) ++handled[entry];
  for (int i = 0; i < FileList->count();) {
    auto found = handled.find(PathOfItem(*FileList->item(i)));
    if (found != handled.end() && found->second > 0) {
      --found->second;
      delete FileList->takeItem(i);
    } else {
      ++i;
    }
  }
}

void TMainForm::SelectFileListEntries(const std::vector<std::string>& entries) {
  std::map<std::string, int> wanted;
  for (const std::string& entry : entries) ++wanted[entry];
  // One selection of ranges of neighbouring rows, handed over at once: a
  // selection grown one item at a time costs in the square of its items.
  QItemSelection selection;
  int first = -1;
  auto close = [&](int end) {
    if (first >= 0) selection.select(FileList->model()->index(first, 0), FileList->model()->index(end, 0));
    first = -1;
  };
  for (int i = 0; i < FileList->count(); ++i) {
    auto found = wanted.find(PathOfItem(*FileList->item(i)));
    if (found == wanted.end() || found->second == 0) {
      close(i - 1);
      continue;
    }
    --found->second;
    if (first < 0) first = i;
  }
  close(FileList->count() - 1);
  FileList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

std::string TMainForm::TargetDirectory() const { return ExactPathText(*TargetDirectoryEdit); }

void TMainForm::SetTargetDirectory(const std::string& folder) { SetExactPathText(*TargetDirectoryEdit, folder); }

void TMainForm::AddDroppedPaths(const std::vector<std::string>& paths) {
  std::vector<std::string> found;
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (platform::DirectoryExists(path)) {
      FindFilesRecursive(platform::IncludeTrailingPathDelimiter(path), kWavMask, found, true);
    } else if (platform::FileExists(path) && MatchesMask(platform::ExtractFileName(path), kWavMask)) {
      found.push_back(path);
    }
  }
  // A drop that brings no WAV file leaves the list, selection included, alone.
  if (found.empty()) return;
  AppendToFileList(*FileList, found);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (FileList == nullptr || watched != FileList->viewport()) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: AcceptAsCopy(*static_cast<QDropEvent*>(event)); return true;
    case QEvent::Drop: {
      auto& drop = *static_cast<QDropEvent*>(event);
      if (!AcceptAsCopy(drop)) return true;
      // The toolkit's frames that called us are not built to be unwound through.
      try {
        AddDroppedPaths(LocalPaths(drop.mimeData()));
      } catch (...) {
        platform::HandleException(std::current_exception(), this);
      }
      return true;
    }
    default: return QMainWindow::eventFilter(watched, event);
  }
}

}  // namespace ratemill
