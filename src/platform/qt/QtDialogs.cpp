#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "platform/DialogFolders.h"

namespace ratemill::platform {
namespace {

QString Qt(const std::string& text) { return QString::fromStdString(text); }

std::string Std(const QString& path) { return QDir::toNativeSeparators(path).toStdString(); }

}  // namespace

QString TQtDialogs::StartFolder() const {
  const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  const std::string musicFolder = QFileInfo(music).isDir() ? music.toStdString() : std::string();
  return Qt(DialogStartFolder({}, FLastChosenFolder, musicFolder));
}

void TQtDialogs::RememberFolder(const QString& folder) {
  if (!folder.isEmpty()) FLastChosenFolder = folder.toStdString();
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
  for (const QString& path : dialog.selectedFiles()) paths.push_back(Std(path));
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
    const QFileInfo initial(Qt(request.InitialFolder));
    dialog.setDirectory(initial.absolutePath());
    dialog.selectFile(initial.fileName());
  } else {
    dialog.setDirectory(StartFolder());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  QString folder = QDir::cleanPath(dialog.selectedFiles().front());
  RememberFolder(folder);
  return Std(folder);
}

std::optional<std::string> TQtDialogs::ChooseFile(const TOpenFileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), Qt(request.Title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.InitialPath.empty()) {
    dialog.selectFile(Qt(request.InitialPath));
  } else {
    dialog.setDirectory(StartFolder());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  RememberFolder(dialog.directory().absolutePath());
  return Std(dialog.selectedFiles().front());
}

}  // namespace ratemill::platform
