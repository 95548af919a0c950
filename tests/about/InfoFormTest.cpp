// The About window: what it shows, its links, the debug-mode switch with the
// status-bar marker, and the way into the translation editor.
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QStringList>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "AboutWindows.h"
#include "WavFixture.h"
#include "about/ClickLabel.h"
#include "about/InfoForm.h"
#include "about/LinkLabel.h"
#include "frontend/MainForm.h"
#include "i18n/TranslateForm.h"

using namespace ratemill;
using platform::TMessageAnswer;
using platform::TMessageKind;

namespace {

const std::string kEnableQuestion = "soll der Debugmodus angeschaltet werden?";
const std::string kDisableQuestion = "soll der Debugmodus deaktiviert werden?";

QString Utf8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

class InfoFormTest : public QObject {
  Q_OBJECT

 private slots:
  void showsVersionOfTheProgramFile_data();
  void showsVersionOfTheProgramFile();
  void picturesAndNameLookAsIntended();
  void linksOpenTheirAddresses_data();
  void linksOpenTheirAddresses();
  void linkColourWhileHovered_data();
  void linkColourWhileHovered();
  void debugModeSwitch_data();
  void debugModeSwitch();
  void questionsComeFromTheLanguageFile();
  void infoButtonShowsTheWindowModallyAboveTheMainWindow();
  void savedTranslateButtonTextShowsAtOnce();
  void debugModeRunShowsCommandsAndConvertsNothing();
};

void InfoFormTest::showsVersionOfTheProgramFile_data() {
  QTest::addColumn<QString>("programFile");
  QTest::addColumn<QString>("expected");
  QTest::newRow("stamped program") << RATEMILL_PROGRAM << RATEMILL_FILE_VERSION;
  QTest::newRow("no such file") << "/nonexistent/ratemill"
                                << "";
}

void InfoFormTest::showsVersionOfTheProgramFile() {
  QFETCH(QString, programFile);
  QFETCH(QString, expected);
  test::TAboutWindows windows({}, programFile.toStdString());
  QCOMPARE(windows.Info->Label1->text(), expected);
  QCOMPARE(windows.Info->windowTitle(), QString("About Ratemill"));
  QCOMPARE(windows.Info->size(), QSize(370, 310));
  QCOMPARE(windows.Info->minimumSize(), windows.Info->maximumSize());
  // The window's own default, not the editor's with the dots.
  QCOMPARE(windows.Info->TranslateButton->text(), Utf8("Programm übersetzen"));
  QVERIFY(windows.Info->Button1->isDefault());
}

void InfoFormTest::picturesAndNameLookAsIntended() {
  test::TAboutWindows windows;
  const QImage icon = windows.Info->Image1->pixmap().toImage();
  QCOMPARE(icon.size(), QSize(32, 32));
  QSet<QRgb> colours;
  for (int y = 0; y < icon.height(); ++y)
    for (int x = 0; x < icon.width(); ++x)
      if (qAlpha(icon.pixel(x, y)) != 0) colours.insert(icon.pixel(x, y));
  QVERIFY2(colours.size() >= 4 && colours.size() <= 16, qPrintable(QString::number(colours.size())));
  QCOMPARE(windows.Info->Image2->pixmap().size(), QSize(93, 39));

  // Nothing about the name hints at the switch behind it.
  QCOMPARE(windows.Info->ProgramNameLabel->text(), QString("Ratemill"));
  QCOMPARE(windows.Info->ProgramNameLabel->cursor().shape(), Qt::ArrowCursor);
  QCOMPARE(windows.Info->ProgramNameLabel->font().pixelSize(), 32);
  QVERIFY(!windows.Info->ProgramNameLabel->font().underline());
}

void InfoFormTest::linksOpenTheirAddresses_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<QString>("address");
  QTest::newRow("maker") << "MakerLinkLabel"
                         << "https://ratemill.example.org/";
  QTest::newRow("converter") << "ConverterLinkLabel"
                             << "https://shibatch.sourceforge.net/";
  QTest::newRow("library") << "LibraryLinkLabel"
                           << "https://www.qt.io/";
  QTest::newRow("mail") << "MailLinkLabel"
                        << "mailto:bugs@ratemill.example.org";
}

TLinkLabel* LinkByName(TInfoForm& info, const QString& name) {
  if (name == "MakerLinkLabel") return info.MakerLinkLabel;
  if (name == "ConverterLinkLabel") return info.ConverterLinkLabel;
  if (name == "LibraryLinkLabel") return info.LibraryLinkLabel;
  if (name == "MailLinkLabel") return info.MailLinkLabel;
  return nullptr;
}

void InfoFormTest::linksOpenTheirAddresses() {
  QFETCH(QString, label);
  QFETCH(QString, address);
  test::TAboutWindows windows;
  windows.Info->show();
  TLinkLabel* link = LinkByName(*windows.Info, label);
  QVERIFY(link);
  QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
  QVERIFY(link->font().bold() && link->font().underline());

  // A press dragged off the label opens nothing.
  QTest::mousePress(link, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
  QVERIFY(windows.Fixture.Shell.Opened.empty());

  QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
  QCOMPARE(windows.Fixture.Shell.Opened.size(), std::size_t(1));
  QCOMPARE(QString::fromStdString(windows.Fixture.Shell.Opened[0]), address);
  QVERIFY(windows.Info->isVisible());
}

void InfoFormTest::linkColourWhileHovered_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<QColor>("hovered");
  QTest::newRow("maker keeps blue") << "MakerLinkLabel" << QColor(Qt::blue);
  QTest::newRow("converter") << "ConverterLinkLabel" << QColor(Qt::red);
  QTest::newRow("library") << "LibraryLinkLabel" << QColor(Qt::red);
  QTest::newRow("mail") << "MailLinkLabel" << QColor(Qt::red);
}

void InfoFormTest::linkColourWhileHovered() {
  QFETCH(QString, label);
  QFETCH(QColor, hovered);
  test::TAboutWindows windows;
  TLinkLabel* link = LinkByName(*windows.Info, label);
  QVERIFY(link);
  QCOMPARE(link->TextColor(), QColor(Qt::blue));
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(link, &enter);
  QCOMPARE(link->TextColor(), hovered);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(link, &leave);
  QCOMPARE(link->TextColor(), QColor(Qt::blue));
}

// A script of visits to the About window, separated by "|". In a visit, "yes",
// "no" and "closed" click the program's name and answer its question so;
// "ok" leaves through O.K., "closebox" through the title bar's close box.
void InfoFormTest::debugModeSwitch_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("questions");  // E: the enable question, D: the disable question
  QTest::addColumn<bool>("debugMode");
  QTest::addColumn<QString>("status");

  QTest::newRow("on, O.K.") << "yes ok"
                            << "E" << true << "Debugmode";
  QTest::newRow("on, then off in a later visit") << "yes ok | yes ok"
                                                 << "ED" << false << "";
  QTest::newRow("on, close box keeps the panel empty") << "yes closebox"
                                                       << "E" << true << "";
  QTest::newRow("on, close box, then O.K. shows it") << "yes closebox | ok"
                                                     << "E" << true << "Debugmode";
  QTest::newRow("off, close box keeps the marker") << "yes ok | yes closebox"
                                                   << "ED" << false << "Debugmode";
  QTest::newRow("no leaves it off") << "no ok"
                                    << "E" << false << "";
  QTest::newRow("no leaves it on") << "yes ok | no ok"
                                   << "ED" << true << "Debugmode";
  QTest::newRow("box closed leaves it off") << "closed ok"
                                            << "E" << false << "";
  QTest::newRow("two switches in one visit") << "yes yes ok"
                                             << "ED" << false << "";
  QTest::newRow("switch, refuse, switch back") << "yes no yes ok"
                                               << "EDD" << false << "";
  QTest::newRow("O.K. alone") << "ok"
                              << "" << false << "";
}

void InfoFormTest::debugModeSwitch() {
  QFETCH(QString, script);
  QFETCH(QString, questions);
  QFETCH(bool, debugMode);
  QFETCH(QString, status);

  test::TAboutWindows windows;
  TInfoForm& info = *windows.Info;
  for (const QString& visit : script.split('|')) {
    info.show();
    for (const QString& step : visit.split(' ', Qt::SkipEmptyParts)) {
      if (step == "ok") {
        QTest::mouseClick(info.Button1, Qt::LeftButton);
        QVERIFY(!info.isVisible());
      } else if (step == "closebox") {
        QVERIFY(info.close());
        QVERIFY(!info.isVisible());
      } else {
        windows.Fixture.Boxes.Answer(step == "yes"  ? TMessageAnswer::Yes
                                     : step == "no" ? TMessageAnswer::No
                                                    : TMessageAnswer::Closed);
        QTest::mouseClick(info.ProgramNameLabel, Qt::LeftButton);
        // The switch never touches the status bar itself.
        QVERIFY(info.isVisible());
      }
    }
  }

  const auto& shown = windows.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t(questions.size()));
  for (std::size_t i = 0; i < shown.size(); ++i) {
    QCOMPARE(shown[i].Kind, TMessageKind::ConfirmYesNo);
    QCOMPARE(shown[i].Text, questions[int(i)] == 'E' ? kEnableQuestion : kDisableQuestion);
  }
  QCOMPARE(windows.Fixture.Boxes.Unanswered(), 0);
  QCOMPARE(windows.Main->DebugMode(), debugMode);
  QCOMPARE(QString::fromStdString(windows.Main->StatusText(1)), status);
}

void InfoFormTest::questionsComeFromTheLanguageFile() {
  test::TAboutWindows windows("[INFO WINDOW]\r\nEnableDebugModeQuery=Debug on?\r\nDisableDebugModeQuery=\r\n");
  windows.Fixture.Boxes.Answer(TMessageAnswer::Yes);
  windows.Fixture.Boxes.Answer(TMessageAnswer::Yes);
  windows.Info->ProgramNameLabelClick();
  windows.Info->ProgramNameLabelClick();
  const auto& shown = windows.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t(2));
  QCOMPARE(shown[0].Text, std::string("Debug on?"));
  QCOMPARE(shown[1].Text, std::string());  // an empty entry is an empty question
}

void InfoFormTest::infoButtonShowsTheWindowModallyAboveTheMainWindow() {
  test::TAboutWindows windows;
  windows.Main->show();
  bool seen = false;
  test::WhenModal([&](QWidget* modal) {
    QCOMPARE(modal, static_cast<QWidget*>(windows.Info));
    QCOMPARE(windows.Info->parentWidget(), static_cast<QWidget*>(windows.Main.get()));
    seen = true;
    windows.Fixture.Boxes.Answer(TMessageAnswer::Yes);
    QTest::mouseClick(windows.Info->ProgramNameLabel, Qt::LeftButton);
    QTest::keyClick(windows.Info, Qt::Key_Return);  // Enter presses O.K.
  });
  QTest::mouseClick(windows.Main->InfoButton, Qt::LeftButton);
  QVERIFY(seen);
  QVERIFY(!windows.Info->isVisible());
  QVERIFY(windows.Main->DebugMode());
  QCOMPARE(windows.Main->StatusText(1), std::string("Debugmode"));
}

void InfoFormTest::savedTranslateButtonTextShowsAtOnce() {
  test::TAboutWindows windows;
  windows.Main->show();
  QString editorRow26, infoCaptionAfterSave;
  test::WhenModal([&](QWidget* about) {
    QCOMPARE(about, static_cast<QWidget*>(windows.Info));
    test::WhenModal([&](QWidget* editor) {
      QCOMPARE(editor, static_cast<QWidget*>(windows.Translate));
      // Above the About window, which stays open beneath it.
      QCOMPARE(windows.Translate->parentWidget(), static_cast<QWidget*>(windows.Info));
      QVERIFY(windows.Info->isVisible());
      editorRow26 = windows.Translate->TranslateGrid->item(26, 1)->text();
      windows.Translate->TranslateGrid->item(26, 1)->setText(Utf8("Übersetzen!"));
      QTest::mouseClick(windows.Translate->SaveTranslationButton, Qt::LeftButton);
    });
    QTest::mouseClick(windows.Info->TranslateButton, Qt::LeftButton);
    infoCaptionAfterSave = windows.Info->TranslateButton->text();
    QVERIFY(windows.Info->isVisible());
    QTest::mouseClick(windows.Info->Button1, Qt::LeftButton);
  });
  QTest::mouseClick(windows.Main->InfoButton, Qt::LeftButton);

  QCOMPARE(editorRow26, Utf8("Programm übersetzen..."));
  QCOMPARE(infoCaptionAfterSave, Utf8("Übersetzen!"));
  QVERIFY(!windows.Translate->isVisible());
  QCOMPARE(windows.Fixture.Boxes.Shown().size(), std::size_t(0));
}

void InfoFormTest::debugModeRunShowsCommandsAndConvertsNothing() {
  test::TAboutWindows windows;
  test::TTempDir sources;
  const std::string converter = windows.Fixture.AppDir() + "ssrc.exe";
  std::filesystem::remove(converter);
  std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, converter);
  // The converter stand-in notes every call here.
  const std::string record = sources / "calls.txt";
  qputenv("RATEMILL_TC_RECORD", QByteArray::fromStdString(record));
  windows.Main->show();

  auto switchInAbout = [&] {
    test::WhenModal([&](QWidget*) {
      windows.Fixture.Boxes.Answer(TMessageAnswer::Yes);
      QTest::mouseClick(windows.Info->ProgramNameLabel, Qt::LeftButton);
      QTest::mouseClick(windows.Info->Button1, Qt::LeftButton);
    });
    QTest::mouseClick(windows.Main->InfoButton, Qt::LeftButton);
  };
  auto addSource = [&](const std::string& name) {
    test::WriteWav(sources / name, 44100, 16, 2, 441);
    windows.Main->FileList->addItem(QString::fromStdString(sources / name));
  };

  switchInAbout();
  QCOMPARE(windows.Main->StatusText(1), std::string("Debugmode"));
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) addSource(name);
  for (int i = 0; i < 3; ++i) windows.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  windows.Fixture.Boxes.ClearShown();
  QTest::mouseClick(windows.Main->StartButton, Qt::LeftButton);

  const auto& shown = windows.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t(3));
  const char* names[] = {"a", "b", "c"};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    QCOMPARE(shown[i].Kind, TMessageKind::PlainOk);
    const std::string source = sources / (std::string(names[i]) + ".wav");
    QVERIFY2(shown[i].Text.find("\"" + source + "\"") != std::string::npos, shown[i].Text.c_str());
  }
  QVERIFY(!std::filesystem::exists(record));
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(sources.Path())) ++files;
  QCOMPARE(files, 3);  // the three sources, no output
  QCOMPARE(windows.Main->FileList->count(), 0);

  // Switched off again, the same kind of run converts.
  switchInAbout();
  QVERIFY(!windows.Main->DebugMode());
  QCOMPARE(windows.Main->StatusText(1), std::string());
  addSource("a.wav");
  windows.Fixture.Boxes.ClearShown();
  QTest::mouseClick(windows.Main->StartButton, Qt::LeftButton);
  qunsetenv("RATEMILL_TC_RECORD");
  QCOMPARE(windows.Fixture.Boxes.Shown().size(), std::size_t(0));
  QVERIFY(std::filesystem::exists(record));
  files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(sources.Path())) ++files;
  QCOMPARE(files, 5);  // the sources, the record and one output
}

QTEST_MAIN(InfoFormTest)
#include "InfoFormTest.moc"
