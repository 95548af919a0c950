#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "platform/DialogFolders.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/QtDialogsPaths.h"
#include "platform/qt/QtMessageBoxes.h"

namespace ratemill::platform {
namespace {

QString Qt(const std::string& text) { return QString::fromStdString(text); }

// A path handed to a dialog is shown, not used: its rendering will do.
QString Rendering(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

// The file-system bytes of a path the toolkit gives, for remembering a
// folder to open next time; the paths the user picks are resolved apart.
std::string Exact(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QString TQtDialogs::StartFolder() const {
  const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  const std::string musicFolder = QFileInfo(music).isDir() ? Exact(music) : std::string();
  return Rendering(DialogStartFolder({}, FLastChosenFolder, musicFolder));
}

void TQtDialogs::RememberFolder(const QString& folder) {
  if (!folder.isEmpty()) FLastChosenFolder = Exact(folder);
}

TQtDialogs::TQtDialogs(IMessageBoxes* boxes)
    : FOwnBoxes(boxes == nullptr ? std::make_unique<TQtMessageBoxes>("Ratemill") : nullptr),
      FBoxes(boxes == nullptr ? FOwnBoxes.get() : boxes) {}

TQtDialogs::~TQtDialogs() = default;

std::optional<std::string> TQtDialogs::Resolve(const QString& chosen, bool mayBeNew) {
  TDialogPath resolved = ResolveDialogPath(QDir::fromNativeSeparators(chosen), mayBeNew);
  if (!resolved.Path) FBoxes->Show(TMessageKind::ErrorOk, resolved.Problem);
  return std::move(resolved.Path);
}

std::optional<std::vector<std::string>> TQtDialogs::OpenFiles(const TOpenFilesRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), Qt(request.Title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  QStringList filters;
  for (const TFileFilter& filter : request.Filters) filters << Qt(filter.Name + " (" + filter.Pattern + ")");
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
  }
  dialog.setDirectory(StartFolder());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  RememberFolder(dialog.directory().absolutePath());
  std::vector<std::string> paths;
  for (const QString& path : dialog.selectedFiles()) {
    if (auto resolved = Resolve(path, false)) paths.push_back(std::move(*resolved));
  }
  // Nothing that could be used was chosen: as if the user had cancelled.
  if (paths.empty()) return std::nullopt;
  return paths;
}

std::optional<std::string> TQtDialogs::BrowseFolder(const TBrowseFolderRequest& request) {
  // The toolkit's own dialog has the line to type a name in and the button to
  // create a new folder.
  QFileDialog dialog(QApplication::activeWindow(), Qt(request.Title));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (!request.InitialFolder.empty()) {
    const QFileInfo initial(Rendering(request.InitialFolder));
    dialog.setDirectory(initial.absolutePath());
    dialog.selectFile(initial.fileName());
  } else {
    dialog.setDirectory(StartFolder());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  RememberFolder(QDir::cleanPath(dialog.selectedFiles().front()));
  return Resolve(dialog.selectedFiles().front(), false);
}

std::optional<std::string> TQtDialogs::ChooseFile(const TOpenFileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), Qt(request.Title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.InitialPath.empty()) {
    dialog.selectFile(Rendering(request.InitialPath));
  } else {
    dialog.setDirectory(StartFolder());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  RememberFolder(dialog.directory().absolutePath());
  return Resolve(dialog.selectedFiles().front(), true);
}

}  // namespace ratemill::platform
