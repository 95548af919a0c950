#include "files/ExactPath.h"

#include <QByteArray>
#include <QFile>
#include <QLineEdit>
#include <QListWidgetItem>
#include <QVariant>

namespace ratemill {
namespace {

// The role under which a list entry keeps its path's bytes.
constexpr int kPathRole = Qt::UserRole + 1;

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

std::string Std(const QByteArray& bytes) {
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Keeps the bytes of the path last given to a line edit. It lives as a child
// of the edit, so every edit carries its own, and forgets the bytes at the
// first change the user makes: from then on the edit's text is what counts.
class TExactPathKeeper : public QObject {
  Q_OBJECT

 public:
  explicit TExactPathKeeper(QLineEdit& edit) : QObject(&edit) {
    setObjectName(kName);
    // `textEdited` comes from the user's hand only, never from `setText`.
    connect(&edit, &QLineEdit::textEdited, this, [this] { FKept = false; });
  }

  static constexpr const char* kName = "ratemillExactPath";

  void Keep(const std::string& path, const QString& rendering) {
    FPath = path;
    FRendering = rendering;
    FKept = true;
  }
  // Text set by other code without going through us replaces the path as
  // typing does.
  bool Holds(const QString& text) const { return FKept && text == FRendering; }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  QString FRendering;
  bool FKept = false;
};

TExactPathKeeper* KeeperOf(const QLineEdit& edit) {
  return edit.findChild<TExactPathKeeper*>(TExactPathKeeper::kName, Qt::FindDirectChildrenOnly);
}

}  // namespace

QString PathRendering(const std::string& path) { return QFile::decodeName(Bytes(path)); }

std::string TypedPath(const QString& text) { return Std(QFile::encodeName(text)); }

QListWidgetItem* MakePathItem(const std::string& path) {
  auto* item = new QListWidgetItem(PathRendering(path));
  item->setData(kPathRole, Bytes(path));
  return item;
}

std::string PathOfItem(const QListWidgetItem& item) {
  const QVariant kept = item.data(kPathRole);
  return kept.isValid() ? Std(kept.toByteArray()) : TypedPath(item.text());
}

void SetExactPathText(QLineEdit& edit, const std::string& path) {
  TExactPathKeeper* keeper = KeeperOf(edit);
  if (keeper == nullptr) keeper = new TExactPathKeeper(edit);
  const QString rendering = PathRendering(path);
  edit.setText(rendering);
  // The edit may change what it was given (it drops line breaks, for one);
  // what it shows now is what the user sees.
  keeper->Keep(path, edit.text());
}

std::string ExactPathText(const QLineEdit& edit) {
  const TExactPathKeeper* keeper = KeeperOf(edit);
  return keeper != nullptr && keeper->Holds(edit.text()) ? keeper->Path() : TypedPath(edit.text());
}

}  // namespace ratemill

#include "ExactPath.moc"
