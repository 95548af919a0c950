// Start-up of the main window with and without the converter, its controls'
// initial states, the temporary-file edit and closing.
#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <thread>

#include "GuiFixture.h"
#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"
#include "frontend/UpDown.h"

using namespace ratemill;
using platform::TMessageAnswer;
using platform::TMessageKind;

namespace {

const std::string kDownloadAddress = "https://shibatch.sourceforge.net/";

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The control that Tab moves to from `widget`, as the toolkit picks it.
QWidget* NextTabStop(QWidget* widget) {
  for (QWidget* next = widget->nextInFocusChain(); next != widget; next = next->nextInFocusChain()) {
    if (widget->isAncestorOf(next)) continue;  // a control's own parts, such as a spin box's edit
    if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled()) return next;
  }
  return nullptr;
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void missingConverterShowsBoxAndEnds_data();
  void missingConverterShowsBoxAndEnds();
  void converterPresentOpensWindow_data();
  void converterPresentOpensWindow();
  void secondStartWithLogFolderPresent();
  void initialStatesOfTheWindow();
  void concurrentConversionsOption();
  void optionControlsDoNotOverlap();
  void storedHighPrecisionChoice_data();
  void storedHighPrecisionChoice();
  void tempFileBoxSwitchesTheEditAndKeepsThePath();
  void browsingForTheTempFile_data();
  void browsingForTheTempFile();
  void spinnerStepsTheAttenuationText_data();
  void spinnerStepsTheAttenuationText();
  void closeWritesSettingsEvenWhenNothingChanged();
  void failedSaveIsShownAndTheWindowStillCloses();
};

void StartupTest::missingConverterShowsBoxAndEnds_data() {
  QTest::addColumn<QString>("language");  // empty: no language file
  QTest::addColumn<bool>("answerYes");
  QTest::addColumn<QString>("expectedText");  // "<dir>" stands for the program's folder

  const QString defaultText = QString::fromUtf8(
      "Die Datei \"ssrc.exe\" wurde nicht im Programmverzeichnis gefunden. Sie können das Programm SSRC unter "
      "https://shibatch.sourceforge.net/ herunterladen und die benötigte EXE-Datei in das Verzeichnis \"<dir>\" "
      "kopieren.\r\nWollen Sie die Downloadseite von SSRC aufrufen?");
  QTest::newRow("default text, yes") << QString() << true << defaultText;
  QTest::newRow("default text, no") << QString() << false << defaultText;
  QTest::newRow("translated, markers in mixed case")
      << "[MAIN WINDOW]\r\nmissingssrc=Missing in %s[[LineBreak]]Download?[[LINEBREAK]]end\r\n"
      << false << "Missing in <dir>\r\nDownload?\r\nend";
  QTest::newRow("several directives") << "[main window]\nMissingSSRC=%s %s %d %\n" << true << "<dir> %s %d %";
  QTest::newRow("lone percent") << "[main window]\nMissingSSRC=%\n" << false << "%";
  QTest::newRow("percent after the placeholder") << "[main window]\nMissingSSRC=100%s%%\n" << false << "100<dir>%%";
  QTest::newRow("no placeholder") << "[main window]\nMissingSSRC=Fehlt.\n" << false << "Fehlt.";
}

void StartupTest::missingConverterShowsBoxAndEnds() {
  QFETCH(QString, language);
  QFETCH(bool, answerYes);
  QFETCH(QString, expectedText);

  test::TGuiFixture fixture;
  fixture.AddHPConverter();  // the high-precision build alone does not do
  if (!language.isEmpty()) fixture.WriteLanguage(language.toStdString());
  fixture.Boxes.Answer(answerYes ? TMessageAnswer::Yes : TMessageAnswer::No);

  auto form = fixture.CreateMainForm();

  QVERIFY(form->Terminated());
  QCOMPARE(fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(fixture.Boxes.Shown()[0].Kind, TMessageKind::ErrorYesNo);
  const QString expected = QString(expectedText).replace("<dir>", QString::fromStdString(fixture.AppDir()));
  QCOMPARE(QString::fromStdString(fixture.Boxes.Shown()[0].Text), expected);
  if (answerYes) {
    QCOMPARE(fixture.Shell.Opened, std::vector<std::string>{kDownloadAddress});
  } else {
    QVERIFY(fixture.Shell.Opened.empty());
  }

  // Nothing of the settings is touched, not even by closing what was created.
  QVERIFY(form->SettingsFile().empty());
  form->close();
  form.reset();
  QVERIFY(!Exists(fixture.SettingsFile()));
  QVERIFY(!Exists(fixture.AppDir() + "log"));
}

void StartupTest::converterPresentOpensWindow_data() {
  QTest::addColumn<bool>("withHP");
  QTest::newRow("converter only") << false;
  QTest::newRow("with the high-precision build") << true;
}

void StartupTest::converterPresentOpensWindow() {
  QFETCH(bool, withHP);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  if (withHP) fixture.AddHPConverter();

  auto form = fixture.CreateMainForm();

  QVERIFY(!form->Terminated());
  QVERIFY(fixture.Boxes.Shown().empty());
  QVERIFY(fixture.Shell.Opened.empty());
  QCOMPARE(!form->HPCheckbox->isHidden(), withHP);
  QVERIFY(std::filesystem::is_directory(fixture.AppDir() + "log"));
  QCOMPARE(form->SettingsFile(), fixture.AppDir() + "Ratemill.ini");
  QVERIFY(!form->DebugMode());

  // German texts without a language file.
  QCOMPARE(form->StartButton->text(), QString("&Start"));
  QCOMPARE(form->GroupOptions->title(), QString("Optionen"));
  QCOMPARE(form->FilesGroupBox->title(), QString("Dateien"));
  QCOMPARE(form->ComboSampleRate->itemText(0), QString::fromUtf8("nicht ändern"));
  QCOMPARE(form->HPCheckbox->text(), QString("Benutze SSRC_HP.exe"));
  QCOMPARE(form->MessageText(TTextId::NoFilesSelected), std::string("Achtung! Keine Dateien ausgewählt!"));
}

void StartupTest::secondStartWithLogFolderPresent() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  test::WriteFile(fixture.AppDir() + "keep.txt", "x");
  for (int start = 0; start < 2; ++start) {
    auto form = fixture.CreateMainForm();
    QVERIFY(!form->Terminated());
    QVERIFY(form->close());
  }
  QVERIFY(std::filesystem::is_directory(fixture.AppDir() + "log"));
  QVERIFY(std::filesystem::is_empty(fixture.AppDir() + "log"));
  QVERIFY(fixture.Boxes.Shown().empty());
}

void StartupTest::initialStatesOfTheWindow() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));

  QCOMPARE(form->windowTitle(), QString("Ratemill"));
  QCOMPARE(form->size(), QSize(472, 618));
  QCOMPARE(form->minimumSize(), form->maximumSize());
  QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  QCOMPARE(form->font().family(), QString("MS Sans Serif"));
  QCOMPARE(form->font().pixelSize(), 11);

  auto items = [](const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
    return list;
  };
  QCOMPARE(items(form->ComboSampleRate),
           QStringList({QString::fromUtf8("nicht ändern"), "32000", "44100", "48000", "96000", "192000"}));
  QCOMPARE(items(form->ComboBits), QStringList({QString::fromUtf8("nicht ändern"), "8", "16", "24"}));
  QCOMPARE(items(form->NoiseComboBox), QStringList({"default", "0", "1", "2"}));
  QCOMPARE(items(form->PrioComboBox), QStringList({"niedrig", "normal", "hoch"}));
  QCOMPARE(form->PrioComboBox->currentIndex(), 1);
  QVERIFY(!form->UseOldBatchModeCheckbox->isChecked());
  QCOMPARE(form->Dither1Option->text(), QString("No noise shaping"));
  QCOMPARE(form->Dither4Option->text(), QString("less dither amplitude than type 3"));
  QCOMPARE(form->MinusLabel->text(), QString("-"));
  QCOMPARE(form->InfoButton->text(), QString("Info..."));
  QCOMPARE(form->FileList->count(), 0);
  QCOMPARE(form->FileList->selectionMode(), QAbstractItemView::ExtendedSelection);
  QVERIFY(form->TargetDirectoryEdit->text().isEmpty());
  QCOMPARE(form->UpDownButtons->Min(), 0);
  QCOMPARE(form->UpDownButtons->Max(), 100);
  QCOMPARE(form->UpDownButtons->Increment(), 1);

  QVERIFY(form->StartButton->isVisible());
  QVERIFY(!form->CancelButton->isVisible());
  QCOMPARE(form->CancelButton->geometry(), form->StartButton->geometry());
  QCOMPARE(form->CancelButton->parentWidget(), form->StartButton->parentWidget());

  QCOMPARE(form->statusBar(), form->StatusBar);
  QCOMPARE(form->StatusText(0), std::string());
  QCOMPARE(form->StatusText(1), std::string());
  form->SetStatusText(1, "Debugmode");
  QCOMPARE(form->StatusText(1), std::string("Debugmode"));
  // The marker must show whole in whatever font stands in for the window's.
  const auto panels = form->StatusBar->findChildren<QLabel*>();
  const auto marker = std::find_if(panels.begin(), panels.end(), [](QLabel* l) { return l->text() == "Debugmode"; });
  QVERIFY(marker != panels.end());
  QVERIFY((*marker)->contentsRect().width() >= (*marker)->fontMetrics().horizontalAdvance("Debugmode"));

  QVERIFY(form->ProcessRunner.ConsoleOptions().Empty());
  QVERIFY(!form->ProcessRunner.StartupInfo().DefaultWindowState);
  QCOMPARE(form->ProcessRunner.StartupInfo().Title, std::string("SSRC running..."));
  QVERIFY(static_cast<bool>(form->ProcessRunner.OnRead()));
  QVERIFY(static_cast<bool>(form->ProcessRunner.OnErrorRead()));
}

void StartupTest::concurrentConversionsOption() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  QSpinBox* spin = form->ConcurrentJobsSpinBox;

  QCOMPARE(spin->minimum(), 1);
  QCOMPARE(spin->maximum(), 64);
  QCOMPARE(spin->value(), std::max(1, std::min(64, int(std::thread::hardware_concurrency()))));
  QCOMPARE(form->LabelConcurrentJobs->text(), QString("&Gleichzeitige Konvertierungen"));
  QCOMPARE(form->LabelConcurrentJobs->buddy(), static_cast<QWidget*>(spin));
  QCOMPARE(spin->accessibleName(), QString("Gleichzeitige Konvertierungen"));
  QCOMPARE(spin->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
  // Reached by Tab from the option before it, and left to the file list.
  QCOMPARE(NextTabStop(form->UseOldBatchModeCheckbox), static_cast<QWidget*>(spin));
  QCOMPARE(NextTabStop(spin), static_cast<QWidget*>(form->FileList));

  spin->setValue(5);
  QCOMPARE(form->ConcurrentJobs(), 5);
  // The old batch way and debug mode go file by file whatever the option says.
  form->UseOldBatchModeCheckbox->setChecked(true);
  QCOMPARE(form->ConcurrentJobs(), 1);
  form->UseOldBatchModeCheckbox->setChecked(false);
  form->SetDebugMode(true);
  QCOMPARE(form->ConcurrentJobs(), 1);
  form->SetDebugMode(false);
  QCOMPARE(form->ConcurrentJobs(), 5);
}

// Fixed positions leave every control of a group, the high-precision box
// included, whole and apart from its neighbours, and the groups apart.
void StartupTest::optionControlsDoNotOverlap() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  fixture.AddHPConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));

  for (QGroupBox* group : {form->GroupOptions, form->FilesGroupBox}) {
    QList<QWidget*> controls;
    for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isVisible()) controls << child;
    }
    for (int i = 0; i < controls.size(); ++i) {
      const QWidget* a = controls[i];
      QVERIFY2(group->rect().contains(a->geometry()), a->metaObject()->className());
      for (int j = i + 1; j < controls.size(); ++j) {
        const QWidget* b = controls[j];
        QVERIFY2(!a->geometry().intersects(b->geometry()),
                 qPrintable(QString("%1 and %2 at %3,%4")
                                .arg(a->metaObject()->className(), b->metaObject()->className())
                                .arg(a->geometry().top())
                                .arg(b->geometry().top())));
      }
    }
  }
  QVERIFY(!form->GroupOptions->geometry().intersects(form->FilesGroupBox->geometry()));
  QVERIFY(form->centralWidget()->rect().contains(form->FilesGroupBox->geometry()));
  // The label is wide enough for its German text.
  QLabel* label = form->LabelConcurrentJobs;
  QVERIFY(label->width() >= label->sizeHint().width());
}

void StartupTest::storedHighPrecisionChoice_data() {
  QTest::addColumn<bool>("withHP");
  QTest::addColumn<QString>("stored");
  QTest::addColumn<bool>("checked");
  QTest::newRow("chosen and there") << true << "1" << true;
  QTest::newRow("not chosen and there") << true << "0" << false;
  QTest::newRow("chosen but gone") << false << "1" << false;
  QTest::newRow("not chosen and gone") << false << "0" << false;
}

// A stored choice of the high-precision build whose converter is gone is
// dropped at start-up, where the hidden box would have kept it for good.
void StartupTest::storedHighPrecisionChoice() {
  QFETCH(bool, withHP);
  QFETCH(QString, stored);
  QFETCH(bool, checked);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  if (withHP) fixture.AddHPConverter();
  fixture.WriteSettings("[Einstellungen]\r\nbenutzeHP=" + stored.toStdString() + "\r\n");

  auto form = fixture.CreateMainForm();

  QCOMPARE(form->HPCheckbox->isChecked(), checked);
  QCOMPARE(form->HPCheckbox->isHidden(), !withHP);
  QVERIFY(form->close());
  const std::string written = test::ReadFile(fixture.SettingsFile());
  const std::string expected = std::string("benutzeHP=") + (checked ? "1" : "0") + "\r\n";
  QVERIFY2(written.find(expected) != std::string::npos, written.c_str());
}

void StartupTest::tempFileBoxSwitchesTheEditAndKeepsThePath() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  TFilenameEdit* edit = form->TempFilenameEdit;

  QVERIFY(edit->ReadOnly());
  QVERIFY(!edit->BrowseButton()->isEnabled());
  QTest::keyClicks(edit->Edit(), "typed");
  QCOMPARE(edit->FileName(), std::string());

  QTest::mouseClick(form->TempFileCheckBox, Qt::LeftButton);
  QVERIFY(form->TempFileCheckBox->isChecked());
  QVERIFY(!edit->ReadOnly());
  QVERIFY(edit->BrowseButton()->isEnabled());
  QTest::keyClicks(edit->Edit(), "/tmp/a b.tmp");
  QCOMPARE(edit->FileName(), std::string("/tmp/a b.tmp"));

  QTest::mouseClick(form->TempFileCheckBox, Qt::LeftButton);
  QVERIFY(edit->ReadOnly());
  QCOMPARE(edit->FileName(), std::string("/tmp/a b.tmp"));
  // Read-only takes no browsing either, however it is asked for.
  edit->Browse();
  QVERIFY(fixture.Dialogs.ChooseFileRequests.empty());
  QCOMPARE(edit->FileName(), std::string("/tmp/a b.tmp"));
}

void StartupTest::browsingForTheTempFile_data() {
  QTest::addColumn<bool>("cancel");
  QTest::addColumn<QString>("chosen");
  QTest::addColumn<QString>("expected");
  QTest::newRow("cancelled") << true << QString() << QString();
  QTest::newRow("chosen path with blanks") << false << "/tmp/my temp/x.raw"
                                           << "/tmp/my temp/x.raw";
}

void StartupTest::browsingForTheTempFile() {
  QFETCH(bool, cancel);
  QFETCH(QString, chosen);
  QFETCH(QString, expected);

  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  form->TempFileCheckBox->setChecked(true);
  form->TempFilenameEdit->SetFileName("/old/path.tmp");
  if (cancel) {
    fixture.Dialogs.NextChooseFile(std::nullopt);
  } else {
    fixture.Dialogs.NextChooseFile(chosen.toStdString());
  }

  QTest::mouseClick(form->TempFilenameEdit->BrowseButton(), Qt::LeftButton);

  QCOMPARE(fixture.Dialogs.ChooseFileRequests.size(), std::size_t{1});
  // The edit is emptied before the dialog opens.
  QCOMPARE(fixture.Dialogs.ChooseFileRequests[0].InitialPath, std::string());
  QCOMPARE(QString::fromStdString(form->TempFilenameEdit->FileName()), expected);
}

void StartupTest::spinnerStepsTheAttenuationText_data() {
  QTest::addColumn<QString>("before");
  QTest::addColumn<bool>("up");
  QTest::addColumn<QString>("after");
  QTest::newRow("up from 0") << "0" << true << "1";
  QTest::newRow("down from 50") << "50" << false << "49";
  QTest::newRow("up at the top") << "100" << true << "100";
  QTest::newRow("down at the bottom") << "0" << false << "0";
  QTest::newRow("above the range") << "150" << false << "100";
  QTest::newRow("below the range") << "-5" << true << "0";
  QTest::newRow("leading zero") << "00" << true << "1";
  QTest::newRow("letters start from the bottom, up") << "abc" << true << "1";
  QTest::newRow("letters start from the bottom, down") << "abc" << false << "0";
  QTest::newRow("empty") << "" << true << "1";
}

void StartupTest::spinnerStepsTheAttenuationText() {
  QFETCH(QString, before);
  QFETCH(bool, up);
  QFETCH(QString, after);

  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  form->AttenuateDBEdit->setText(before);
  QCOMPARE(form->AttenuateDBEdit->text(), before);  // free text until a click

  QTest::mouseClick(up ? form->UpDownButtons->UpButton() : form->UpDownButtons->DownButton(), Qt::LeftButton);

  QCOMPARE(form->AttenuateDBEdit->text(), after);
}

void StartupTest::closeWritesSettingsEvenWhenNothingChanged() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(!Exists(fixture.SettingsFile()));

  QVERIFY(form->close());

  const std::string written = test::ReadFile(fixture.SettingsFile());
  QVERIFY2(written.find("[Einstellungen]") != std::string::npos, written.c_str());
  QVERIFY2(written.find("Dither=0") != std::string::npos, written.c_str());
  QVERIFY(fixture.Boxes.Shown().empty());
}

void StartupTest::failedSaveIsShownAndTheWindowStillCloses() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  // A folder where the settings file belongs cannot be written, not even by root.
  std::filesystem::create_directory(fixture.SettingsFile());
  auto form = fixture.CreateMainForm();
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  fixture.Boxes.Answer(TMessageAnswer::Ok);

  QVERIFY(form->close());

  QVERIFY(!form->isVisible());
  QCOMPARE(fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(fixture.Boxes.Shown()[0].Kind, TMessageKind::ErrorOk);
  QCOMPARE(fixture.Boxes.Shown()[0].Text, "In " + fixture.SettingsFile() + " kann nicht geschrieben werden");
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
