#include "platform/qt/QtDialogsPaths.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <vector>

#include "platform/DirectorySearch.h"
#include "platform/FileSystem.h"

namespace ratemill::platform {
namespace {

std::string Bytes(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The entries of `folder` (ending with a delimiter) that are shown as `name`.
std::vector<std::string> EntriesShownAs(const std::string& folder, const QString& name) {
  std::vector<std::string> matches;
  TDirectorySearch search(folder);
  TDirEntry entry;
  while (search.Next(entry)) {
    const QByteArray bytes(entry.Name.data(), static_cast<qsizetype>(entry.Name.size()));
    if (QFile::decodeName(bytes) == name) matches.push_back(entry.Name);
  }
  return matches;
}

}  // namespace

TDialogPath ResolveDialogPath(const QString& chosen, bool mayBeNew) {
  const QString cleaned = QDir::cleanPath(chosen);
  // Text without a replacement character came from bytes that were valid
  // UTF-8 and encodes back to them; so does a relative path we cannot walk.
  if (!cleaned.contains(QChar::ReplacementCharacter) || !cleaned.startsWith(QLatin1Char('/'))) {
    return {Bytes(QFile::encodeName(cleaned)), {}};
  }
  const QStringList parts = cleaned.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  std::string path(1, PathDelim);
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString& part = parts[i];
    const bool last = i + 1 == parts.size();
    std::string name = Bytes(QFile::encodeName(part));
    if (part.contains(QChar::ReplacementCharacter)) {
      const std::vector<std::string> matches = EntriesShownAs(path, part);
      if (matches.size() > 1) {
        return {std::nullopt,
                "Der Pfad " + cleaned.toStdString() + " ist nicht eindeutig: mehrere Einträge in " +
                    QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))).toStdString() +
                    " werden als " + part.toStdString() + " angezeigt."};
      }
      if (matches.empty() && !(last && mayBeNew)) {
        return {std::nullopt, "Der Pfad " + cleaned.toStdString() + " wurde nicht gefunden."};
      }
      if (!matches.empty()) name = matches.front();
    }
    path += name;
    if (!last) path += PathDelim;
  }
  return {path, {}};
}

}  // namespace ratemill::platform
