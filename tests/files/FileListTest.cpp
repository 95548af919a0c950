// The source file list of the main window: adding files and folder trees
// through the dialogs and by drag and drop, removing selected entries, and
// the shared folder dialog that also fills the output-folder field.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <optional>

#include "GuiFixture.h"
#include "frontend/MainForm.h"

using namespace ratemill;

namespace {

// The name of an odd file that must reach the list unchanged: one with a line
// break where the system allows it, else one of letters beyond ASCII.
constexpr const char* kOddName = RATEMILL_TEST_NAMES_HOLD_LINE_BREAKS ? "line\nbreak.wav" : "Grüße 中.wav";

// "<tmp>" in a table entry stands for the test's own folder (ending with its
// delimiter), "<odd>" for the odd file's name. Below the test's folder the
// table delimits with '/', which stands for the system's delimiter.
QString Expand(const QString& text, const test::TTempDir& dir) {
  if (!text.startsWith("<tmp>")) return text;
  const QChar delimiter(static_cast<char16_t>(std::filesystem::path::preferred_separator));
  QString below = text.mid(5).replace('/', delimiter).replace("<odd>", QString::fromUtf8(kOddName));
  return QString::fromStdString(dir.Path()) + below;
}

QStringList Expand(const QStringList& texts, const test::TTempDir& dir) {
  QStringList result;
  for (const QString& text : texts) result << Expand(text, dir);
  return result;
}

std::vector<std::string> ToStd(const QStringList& texts) {
  std::vector<std::string> result;
  for (const QString& text : texts) result.push_back(text.toStdString());
  return result;
}

void MakeFile(const test::TTempDir& dir, const std::string& relative) {
  const std::string path = dir / relative;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  test::WriteFile(path, "RIFF");
}

// A tree with the shapes that matter to the list: files at several depths, a
// hidden folder, files that are not WAV files, an upper-case extension and the
// odd file name.
void MakeTree(const test::TTempDir& dir) {
  for (const char* relative :
       {"tree/a1.wav", "tree/a2.wav", "tree/notes.txt", "tree/B/b.wav", "tree/C/c.wav", "tree/C/D/d.wav",
        "tree/.hidden/h.wav", "loose/x.wav", "loose/LOUD.WAV", "loose/readme.txt"}) {
    MakeFile(dir, relative);
  }
  MakeFile(dir, std::string("loose/") + kOddName);
  std::filesystem::create_directories(dir / "empty/sub");
}

QStringList Entries(const QListWidget& list) {
  QStringList entries;
  for (int i = 0; i < list.count(); ++i) entries << list.item(i)->text();
  return entries;
}

QList<int> SelectedRows(const QListWidget& list) {
  QList<int> rows;
  for (int i = 0; i < list.count(); ++i) {
    if (list.item(i)->isSelected()) rows << i;
  }
  return rows;
}

void Fill(QListWidget& list, const QStringList& entries, const QList<int>& selected) {
  list.addItems(entries);
  for (int row : selected) list.item(row)->setSelected(true);
}

enum class TButton { Open, BatchAdd, FindFolder };

QPushButton* ButtonOf(const TMainForm& form, TButton button) {
  switch (button) {
    case TButton::Open: return form.OpenButton;
    case TButton::BatchAdd: return form.BatchAddFilesButton;
    case TButton::FindFolder: return form.FindFolderButton;
  }
  return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(TButton)

class FileListTest : public QObject {
  Q_OBJECT

 private slots:
  void cancellingADialogChangesNothing_data();
  void cancellingADialogChangesNothing();
  void fileDialogOffersWavFilesFirst();
  void additionsFollowTheOldEntries_data();
  void additionsFollowTheOldEntries();
  void removingSelectedEntries_data();
  void removingSelectedEntries();
  void oneFolderDialogRemembersTheLastChoice();
  void droppingOntoTheList_data();
  void droppingOntoTheList();
  void selectingEntriesByPath_data();
  void selectingEntriesByPath();
};

void FileListTest::cancellingADialogChangesNothing_data() {
  QTest::addColumn<TButton>("button");
  QTest::newRow("add files") << TButton::Open;
  QTest::newRow("add folder tree") << TButton::BatchAdd;
  QTest::newRow("output folder") << TButton::FindFolder;
}

void FileListTest::cancellingADialogChangesNothing() {
  QFETCH(TButton, button);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  const QStringList entries = {"/m/1.wav", "/m/2.wav", "/m/3.wav"};
  Fill(*form->FileList, entries, {1});
  // A folder chosen earlier through the dialog: where the next one opens.
  fixture.Dialogs.NextBrowseFolder("/last");
  form->FindFolderButton->click();
  fixture.Dialogs.BrowseFolderRequests.clear();
  form->TargetDirectoryEdit->setText("/out");
  if (button == TButton::Open) {
    fixture.Dialogs.NextOpenFiles(std::nullopt);
  } else {
    fixture.Dialogs.NextBrowseFolder(std::nullopt);
  }

  ButtonOf(*form, button)->click();

  // The dialog was shown and answered; cancelling it left everything alone.
  QCOMPARE(fixture.Dialogs.Unanswered, 0);
  QCOMPARE(fixture.Dialogs.OpenFilesRequests.size() + fixture.Dialogs.BrowseFolderRequests.size(), std::size_t{1});
  QCOMPARE(Entries(*form->FileList), entries);
  QCOMPARE(SelectedRows(*form->FileList), QList<int>{1});
  QCOMPARE(form->TargetDirectoryEdit->text(), QString("/out"));
  QVERIFY(fixture.Boxes.Shown().empty());
  // The cancelled dialog did not replace the folder to open at.
  fixture.Dialogs.NextBrowseFolder(std::nullopt);
  form->BatchAddFilesButton->click();
  QCOMPARE(fixture.Dialogs.BrowseFolderRequests.back().InitialFolder, std::string("/last"));
}

void FileListTest::fileDialogOffersWavFilesFirst() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  fixture.Dialogs.NextOpenFiles(std::nullopt);

  form->OpenButton->click();

  QCOMPARE(fixture.Dialogs.OpenFilesRequests.size(), std::size_t{1});
  const platform::TOpenFilesRequest& request = fixture.Dialogs.OpenFilesRequests[0];
  QCOMPARE(QString::fromStdString(request.Title), QString::fromUtf8("Dateien hinzufügen"));
  QVERIFY(request.MultiSelect);
  QCOMPARE(request.Filters.size(), std::size_t{2});
  QCOMPARE(request.Filters[0].Name, std::string("WAV-Dateien"));
  QCOMPARE(request.Filters[0].Pattern, std::string("*.wav"));
  QCOMPARE(request.Filters[1].Name, std::string("alle Dateien"));
  QCOMPARE(request.Filters[1].Pattern, std::string("*.*"));
}

void FileListTest::additionsFollowTheOldEntries_data() {
  QTest::addColumn<TButton>("how");  // FindFolder stands for a drop through AddDroppedPaths
  QTest::addColumn<QStringList>("chosen");
  QTest::addColumn<QStringList>("added");
  QTest::addColumn<bool>("selectionCleared");

  const QStringList tree = {"<tmp>tree/a1.wav", "<tmp>tree/a2.wav", "<tmp>tree/B/b.wav", "<tmp>tree/C/c.wav",
                            "<tmp>tree/C/D/d.wav"};
  const QStringList fileChoice = {"<tmp>loose/x.wav", "/m/02.wav", "<tmp>loose/<odd>", "<tmp>loose/readme.txt"};
  QTest::newRow("files in the dialog's order, a listed one twice, the odd name kept")
      << TButton::Open << fileChoice << fileChoice << true;
  QTest::newRow("folder tree, depth first, hidden folder skipped")
      << TButton::BatchAdd << QStringList{"<tmp>tree"} << tree << true;
  QTest::newRow("folder chosen with its delimiter") << TButton::BatchAdd << QStringList{"<tmp>tree/C/"}
                                                    << QStringList{"<tmp>tree/C/c.wav", "<tmp>tree/C/D/d.wav"} << true;
  QTest::newRow("folder tree without WAV files")
      << TButton::BatchAdd << QStringList{"<tmp>empty"} << QStringList{} << true;
  QTest::newRow("dropped files and folders in their order")
      << TButton::FindFolder << QStringList{"<tmp>loose/LOUD.WAV", "<tmp>loose/readme.txt", "<tmp>tree/C",
                                            "<tmp>gone.wav",       "<tmp>loose/<odd>",      "<tmp>loose/x.wav"}
      << QStringList{"<tmp>loose/LOUD.WAV", "<tmp>tree/C/c.wav", "<tmp>tree/C/D/d.wav", "<tmp>loose/<odd>",
                     "<tmp>loose/x.wav"}
      << true;
  QTest::newRow("dropped nothing usable")
      << TButton::FindFolder << QStringList{"<tmp>loose/readme.txt", "<tmp>gone.wav", "<tmp>empty", ""} << QStringList{}
      << false;
}

void FileListTest::additionsFollowTheOldEntries() {
  QFETCH(TButton, how);
  QFETCH(QStringList, chosen);
  QFETCH(QStringList, added);
  QFETCH(bool, selectionCleared);

  test::TTempDir dir;
  MakeTree(dir);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));

  // Enough entries that the list scrolls, two of them selected.
  QStringList old;
  for (int i = 1; i <= 30; ++i) old << QString("/m/%1.wav").arg(i, 2, 10, QChar('0'));
  const QList<int> selected = {1, 27};
  Fill(*form->FileList, old, selected);
  form->FileList->scrollToBottom();
  QVERIFY(form->FileList->verticalScrollBar()->value() > 0);

  chosen = Expand(chosen, dir);
  switch (how) {
    case TButton::Open:
      fixture.Dialogs.NextOpenFiles(ToStd(chosen));
      form->OpenButton->click();
      break;
    case TButton::BatchAdd:
      fixture.Dialogs.NextBrowseFolder(chosen.front().toStdString());
      form->BatchAddFilesButton->click();
      break;
    case TButton::FindFolder: form->AddDroppedPaths(ToStd(chosen)); break;
  }

  QCOMPARE(fixture.Dialogs.Unanswered, 0);
  QCOMPARE(Entries(*form->FileList), old + Expand(added, dir));
  if (selectionCleared) {
    QCOMPARE(SelectedRows(*form->FileList), QList<int>{});
    QCOMPARE(form->FileList->verticalScrollBar()->value(), 0);
  } else {
    QCOMPARE(SelectedRows(*form->FileList), selected);
  }
  QVERIFY(fixture.Boxes.Shown().empty());
}

void FileListTest::removingSelectedEntries_data() {
  QTest::addColumn<QList<int>>("selected");
  QTest::addColumn<QList<int>>("kept");  // rows of the original five

  QTest::newRow("entries 2 and 4") << QList<int>{1, 3} << QList<int>{0, 2, 4};
  QTest::newRow("nothing selected") << QList<int>{} << QList<int>{0, 1, 2, 3, 4};
  QTest::newRow("first and last") << QList<int>{0, 4} << QList<int>{1, 2, 3};
  QTest::newRow("a run at the end") << QList<int>{2, 3, 4} << QList<int>{0, 1};
  QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4} << QList<int>{};
}

void FileListTest::removingSelectedEntries() {
  QFETCH(QList<int>, selected);
  QFETCH(QList<int>, kept);

  test::TTempDir dir;
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  // Duplicates: what goes is the selected entry, not every entry of its text.
  const QStringList entries = Expand({"<tmp>1.wav", "<tmp>2.wav", "<tmp>1.wav", "<tmp>4.wav", "<tmp>2.wav"}, dir);
  for (const QString& entry : entries) test::WriteFile(entry.toStdString(), "RIFF");
  Fill(*form->FileList, entries, selected);

  form->DeleteButton->click();

  QStringList expected;
  for (int row : kept) expected << entries[row];
  QCOMPARE(Entries(*form->FileList), expected);
  for (const QString& entry : entries) QVERIFY(std::filesystem::exists(entry.toStdString()));
  QVERIFY(fixture.Boxes.Shown().empty());
}

void FileListTest::oneFolderDialogRemembersTheLastChoice() {
  test::TTempDir dir;
  MakeTree(dir);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  const std::string tmp = dir.Path();
  const std::string tree = Expand("<tmp>tree/", dir).toStdString();

  struct TStep {
    TButton Button;
    std::optional<std::string> Answer;  // std::nullopt: cancelled
    std::string ExpectedInitial;        // the folder the dialog opens with
    std::string ExpectedTarget;         // the output-folder field afterwards
    int ExpectedEntries;
  };
  const TStep steps[] = {
      {TButton::FindFolder, tmp + "out", "", tmp + "out", 0},
      {TButton::BatchAdd, tree + "C", tmp + "out", tmp + "out", 2},
      {TButton::FindFolder, std::nullopt, tree + "C", tmp + "out", 2},
      {TButton::BatchAdd, std::nullopt, tree + "C", tmp + "out", 2},
      {TButton::FindFolder, tree, tree + "C", tree, 2},
      {TButton::BatchAdd, tree + "B", tree, tree, 3},
      // A folder without a file-system path empties the field.
      {TButton::FindFolder, std::string(), tree + "B", "", 3},
      {TButton::FindFolder, tmp + "out", "", tmp + "out", 3},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const TStep& step = steps[i];
    const QByteArray where = "step " + QByteArray::number(static_cast<int>(i + 1));
    fixture.Dialogs.NextBrowseFolder(step.Answer);
    ButtonOf(*form, step.Button)->click();

    QVERIFY2(fixture.Dialogs.BrowseFolderRequests.size() == i + 1, where);
    const platform::TBrowseFolderRequest& request = fixture.Dialogs.BrowseFolderRequests.back();
    QVERIFY2(request.Title == "Zielordner suchen", where);
    QVERIFY2(request.InitialFolder == step.ExpectedInitial, where + " opened at " + request.InitialFolder.c_str());
    QVERIFY2(form->TargetDirectoryEdit->text().toStdString() == step.ExpectedTarget,
             where + " field " + form->TargetDirectoryEdit->text().toUtf8());
    QVERIFY2(form->FileList->count() == step.ExpectedEntries, where);
  }
  QCOMPARE(fixture.Dialogs.Unanswered, 0);
  QCOMPARE(Entries(*form->FileList), Expand({"<tmp>tree/C/c.wav", "<tmp>tree/C/D/d.wav", "<tmp>tree/B/b.wav"}, dir));
}

void FileListTest::droppingOntoTheList_data() {
  QTest::addColumn<QStringList>("urls");  // "<tmp>" expands to the test folder's file URL prefix
  QTest::addColumn<Qt::DropActions>("possible");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");  // Shift proposes a move
  QTest::addColumn<bool>("accepted");
  QTest::addColumn<QStringList>("added");

  const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
  QTest::newRow("a WAV file") << QStringList{"<tmp>loose/x.wav"} << copyOrMove << Qt::KeyboardModifiers(Qt::NoModifier)
                              << true << QStringList{"<tmp>loose/x.wav"};
  QTest::newRow("a folder") << QStringList{"<tmp>tree"} << copyOrMove << Qt::KeyboardModifiers(Qt::NoModifier) << true
                            << QStringList{"<tmp>tree/a1.wav", "<tmp>tree/a2.wav", "<tmp>tree/B/b.wav",
                                           "<tmp>tree/C/c.wav", "<tmp>tree/C/D/d.wav"};
  QTest::newRow("folders and files in their order")
      << QStringList{"<tmp>tree/C", "<tmp>loose/readme.txt", "<tmp>loose/x.wav", "<tmp>tree/B"} << copyOrMove
      << Qt::KeyboardModifiers(Qt::NoModifier) << true
      << QStringList{"<tmp>tree/C/c.wav", "<tmp>tree/C/D/d.wav", "<tmp>loose/x.wav", "<tmp>tree/B/b.wav"};
  QTest::newRow("a proposed move is taken as a copy")
      << QStringList{"<tmp>loose/x.wav"} << copyOrMove << Qt::KeyboardModifiers(Qt::ShiftModifier) << true
      << QStringList{"<tmp>loose/x.wav"};
  QTest::newRow("a web address among local files")
      << QStringList{"https://example.org/remote.wav", "<tmp>loose/LOUD.WAV"} << copyOrMove
      << Qt::KeyboardModifiers(Qt::NoModifier) << true << QStringList{"<tmp>loose/LOUD.WAV"};
  QTest::newRow("only a web address") << QStringList{"https://example.org/remote.wav"} << copyOrMove
                                      << Qt::KeyboardModifiers(Qt::NoModifier) << false << QStringList{};
  QTest::newRow("only a move on offer") << QStringList{"<tmp>loose/x.wav"} << Qt::DropActions(Qt::MoveAction)
                                        << Qt::KeyboardModifiers(Qt::NoModifier) << false << QStringList{};
}

void FileListTest::droppingOntoTheList() {
  QFETCH(QStringList, urls);
  QFETCH(Qt::DropActions, possible);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(bool, accepted);
  QFETCH(QStringList, added);

  test::TTempDir dir;
  MakeTree(dir);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  const QStringList old = {"/m/1.wav", "/m/2.wav"};
  Fill(*form->FileList, old, {0});

  QList<QUrl> dropped;
  for (const QString& url : urls) {
    dropped << (url.startsWith("<tmp>") ? QUrl::fromLocalFile(Expand(url, dir)) : QUrl(url));
  }
  QMimeData mime;
  mime.setUrls(dropped);
  QWidget* viewport = form->FileList->viewport();
  const QPoint pos = viewport->rect().center();

  QDragEnterEvent enter(pos, possible, &mime, Qt::LeftButton, modifiers);
  if (modifiers & Qt::ShiftModifier) QCOMPARE(enter.proposedAction(), Qt::MoveAction);
  QCoreApplication::sendEvent(viewport, &enter);
  QCOMPARE(enter.isAccepted(), accepted);
  QDragMoveEvent move(pos, possible, &mime, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(viewport, &move);
  QCOMPARE(move.isAccepted(), accepted);
  QDropEvent drop(QPointF(pos), possible, &mime, Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(viewport, &drop);
  QCOMPARE(drop.isAccepted(), accepted);
  if (accepted) {
    // Accepting a move would make the source delete what was dragged.
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QCOMPARE(move.dropAction(), Qt::CopyAction);
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
  }

  QCOMPARE(Entries(*form->FileList), old + Expand(added, dir));
  QCOMPARE(SelectedRows(*form->FileList), accepted ? QList<int>{} : QList<int>{0});
  QVERIFY(fixture.Boxes.Shown().empty());
}

void FileListTest::selectingEntriesByPath_data() {
  QTest::addColumn<QStringList>("select");
  QTest::addColumn<QList<int>>("selected");  // rows of the six entries below
  QTest::newRow("apart from each other") << QStringList{"a", "c", "d"} << QList<int>{0, 2, 5};
  QTest::newRow("a duplicate named once: its first entry") << QStringList{"b"} << QList<int>{1};
  QTest::newRow("a duplicate named twice: both") << QStringList{"b", "b"} << QList<int>{1, 3};
  QTest::newRow("neighbours and the last") << QStringList{"a", "b", "c", "d"} << QList<int>{0, 1, 2, 5};
  QTest::newRow("nothing: an earlier selection goes") << QStringList{} << QList<int>{};
  QTest::newRow("a path not in the list") << QStringList{"x"} << QList<int>{};
}

// The entries of a run that stay for another try are selected, and nothing
// else, however the list was selected before.
void FileListTest::selectingEntriesByPath() {
  QFETCH(QStringList, select);
  QFETCH(QList<int>, selected);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  Fill(*form->FileList, {"/m/a.wav", "/m/b.wav", "/m/c.wav", "/m/b.wav", "/m/e.wav", "/m/d.wav"}, {3, 4});
  std::vector<std::string> paths;
  for (const QString& name : select) paths.push_back("/m/" + name.toStdString() + ".wav");

  form->SelectFileListEntries(paths);

  QCOMPARE(SelectedRows(*form->FileList), selected);
  QCOMPARE(form->FileList->count(), 6);
}

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"
