// The reporter behind the global error handling, with scripted services: what
// is written, what is shown, and what each answer does.
#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ScriptedServices.h"
#include "TempDir.h"
#include "crash/CrashReport.h"
#include "crash/CrashReporter.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace ratemill::crash {
namespace {

using platform::TReportAnswer;

std::exception_ptr RuntimeError(const std::string& message) {
  return std::make_exception_ptr(std::runtime_error(message));
}

// "%41" and the like back to bytes, for reading what a mail address carries.
std::string PercentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Unix(std::string text) {
  for (std::size_t pos; (pos = text.find("\r\n")) != std::string::npos;) text.erase(pos, 1);
  return text;
}

class CrashReporterTest : public ::testing::Test {
 protected:
  CrashReporterTest() { Reporter = std::make_unique<TCrashReporter>(MakeSetup(), Window, Shell, Starter, Boxes); }

  TCrashReportSetup MakeSetup() {
    TCrashReportSetup setup;
    setup.ReportFolder = Dir.Path();
    setup.SettingsFile = Dir / "Ratemill.ini";
    setup.Version = "1.2.3.4";
    setup.ToolkitVersion = "6.4.2";
    setup.AppFileName = Dir / "ratemill";
    setup.AppDir = Dir.Path();
    setup.MailAddress = "bugs@ratemill.example.org";
    setup.CurrentSourceFile = [this] { return CurrentFile; };
    setup.EndProgram = [this] {
      Events.push_back("end");
      if (OnEnd) OnEnd();
    };
    setup.Now = [] { return 1765458736LL; };
    return setup;
  }

  std::string ReportFileContent() const { return platform::ReadWholeFile(Dir / "bugreport.txt").value_or(""); }
  std::size_t ReportCount() const { return SplitReports(ReportFileContent()).size(); }

  test::TTempDir Dir;
  test::TScriptedReportWindow Window;
  test::TRecordingShell Shell;
  test::TRecordingProgramStarter Starter;
  test::TScriptedMessageBoxes Boxes;
  std::vector<std::string> Events;
  std::function<void()> OnEnd;
  std::string CurrentFile;
  std::unique_ptr<TCrashReporter> Reporter;
};

TEST_F(CrashReporterTest, AReportTellsTheErrorItsPlaceTheBatchAndTheSettings) {
  test::WriteFile(Dir / "Ratemill.ini", "[Einstellungen]\nZielpfad=/ausgabe\n");
  CurrentFile = "/musik/take 1.wav";
  Window.Answer(TReportAnswer::Continue);

  Reporter->HandleError(std::make_exception_ptr(platform::EIniFileError("/x/Ratemill.ini")), nullptr,
                        "ratemill::TMainForm 'MainForm'");

  const std::string report = ReportFileContent();
  for (const char* part :
       {"Zeit: 2025-12-11 13:12:16 UTC\n", "Programmversion: 1.2.3.4\n", "Qt-Version: 6.4.2\n",
        "Fehlertyp: ratemill::platform::EIniFileError\n", "Meldung: In /x/Ratemill.ini kann nicht geschrieben werden\n",
        "Herkunft: ratemill::TMainForm 'MainForm'\n", "Thread: Hauptthread", "Aktuelle Quelldatei: /musik/take 1.wav\n",
        "Stack:\n  ", "Einstellungsdatei:\n  [Einstellungen]\n  Zielpfad=/ausgabe\n"}) {
    EXPECT_NE(report.find(part), std::string::npos) << part << "\nin:\n" << report;
  }
  ASSERT_EQ(Window.Shown.size(), 1u);
  EXPECT_EQ(Window.Shown[0].Message, "In /x/Ratemill.ini kann nicht geschrieben werden");
  EXPECT_EQ(Window.Shown[0].Report, report);  // what Show shows is what was kept
  EXPECT_FALSE(Window.Shown[0].PreviousRun);
}

TEST_F(CrashReporterTest, AnErrorAlreadyReportedIsNeitherWrittenNorShownAgain) {
  struct TCase {
    const char* Name;
    std::exception_ptr Error;
    std::string Place;
    bool Again;
  };
  const TCase cases[] = {
      {"same error, same place", RuntimeError("kaputt"), "QPushButton 'StartButton'", false},
      {"other message", RuntimeError("anders kaputt"), "QPushButton 'StartButton'", true},
      {"other place", RuntimeError("kaputt"), "QPushButton 'CancelButton'", true},
      {"other type", std::make_exception_ptr(std::logic_error("kaputt")), "QPushButton 'StartButton'", true},
      {"something that is no exception", std::make_exception_ptr(42), "QPushButton 'StartButton'", true},
  };
  for (const auto& c : cases) {
    test::TTempDir dir;
    TCrashReportSetup setup = MakeSetup();
    setup.ReportFolder = dir.Path();
    test::TScriptedReportWindow window;
    TCrashReporter reporter(setup, window, Shell, Starter, Boxes);
    window.Answer(TReportAnswer::Continue);
    window.Answer(TReportAnswer::Continue);

    reporter.HandleError(RuntimeError("kaputt"), nullptr, "QPushButton 'StartButton'");
    reporter.HandleError(c.Error, nullptr, c.Place);

    const std::size_t expected = c.Again ? 2 : 1;
    EXPECT_EQ(window.Shown.size(), expected) << c.Name;
    EXPECT_EQ(SplitReports(platform::ReadWholeFile(dir / "bugreport.txt").value_or("")).size(), expected) << c.Name;
    EXPECT_EQ(window.Unanswered, 0) << c.Name;
  }
}

TEST_F(CrashReporterTest, SendersWithoutANameAreToldApartByAddress) {
  int first = 0;
  int second = 0;
  Window.Answer(TReportAnswer::Continue);
  Window.Answer(TReportAnswer::Continue);
  Reporter->HandleError(RuntimeError("kaputt"), &first, "");
  Reporter->HandleError(RuntimeError("kaputt"), &first, "");
  Reporter->HandleError(RuntimeError("kaputt"), &second, "");
  EXPECT_EQ(Window.Shown.size(), 2u);
  EXPECT_EQ(ReportCount(), 2u);
}

TEST_F(CrashReporterTest, ContinueLeavesTheProgramAlone) {
  Window.Answer(TReportAnswer::Continue);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");
  EXPECT_TRUE(Events.empty());
  EXPECT_TRUE(Starter.Started.empty());
  EXPECT_TRUE(Boxes.Shown().empty());
}

TEST_F(CrashReporterTest, CloseEndsTheProgramThroughItsClosePath) {
  Window.Answer(TReportAnswer::Close);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");
  EXPECT_EQ(Events, std::vector<std::string>{"end"});
  EXPECT_TRUE(Starter.Started.empty());
}

TEST_F(CrashReporterTest, RestartEndsThisInstanceThenStartsTheSameExecutableInItsFolder) {
  Starter.OnStart = [this] { Events.push_back("start"); };
  Window.Answer(TReportAnswer::Restart);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");

  // The close path saves the settings before the new instance reads them.
  EXPECT_EQ(Events, (std::vector<std::string>{"end", "start"}));
  ASSERT_EQ(Starter.Started.size(), 1u);
  EXPECT_EQ(Starter.Started[0].Executable, Dir / "ratemill");
  EXPECT_EQ(Starter.Started[0].Folder, Dir.Path());
}

TEST_F(CrashReporterTest, ARestartThatCannotStartSaysWhy) {
  Starter.FailWith = ENOENT;
  Window.Answer(TReportAnswer::Restart);
  Boxes.Answer(platform::TMessageAnswer::Ok);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");

  EXPECT_EQ(Events, std::vector<std::string>{"end"});
  ASSERT_EQ(Boxes.Shown().size(), 1u);
  EXPECT_EQ(Boxes.Shown()[0].Kind, platform::TMessageKind::ErrorOk);
  EXPECT_EQ(Boxes.Shown()[0].Text,
            std::string("Ratemill konnte nicht neu gestartet werden.\n") + platform::ESystemError(ENOENT).what());
}

TEST_F(CrashReporterTest, AnErrorOnTheWayOutIsKeptButHoldsNothingUp) {
  // A failing save in the close path reports through the same handling.
  OnEnd = [this] { Reporter->HandleError(RuntimeError("Speichern fehlgeschlagen"), nullptr, "TMainForm"); };
  Window.Answer(TReportAnswer::Close);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");

  EXPECT_EQ(Window.Shown.size(), 1u);
  EXPECT_EQ(Events, std::vector<std::string>{"end"});
  EXPECT_EQ(ReportCount(), 2u);
  EXPECT_NE(ReportFileContent().find("Meldung: Speichern fehlgeschlagen\n"), std::string::npos);
}

TEST_F(CrashReporterTest, AnErrorWhileTheWindowIsOpenIsKeptWithoutASecondWindow) {
  test::TScriptedReportWindow* window = &Window;
  struct TNestingWindow : platform::IReportWindow {
    TCrashReporter* Reporter = nullptr;
    test::TScriptedReportWindow* Inner = nullptr;
    TReportAnswer Show(const platform::TReportRequest& request) override {
      Reporter->HandleError(RuntimeError("während des Fensters"), nullptr, "");
      return Inner->Show(request);
    }
  } nesting;
  nesting.Inner = window;
  TCrashReporter reporter(MakeSetup(), nesting, Shell, Starter, Boxes);
  nesting.Reporter = &reporter;
  Window.Answer(TReportAnswer::Continue);

  reporter.HandleError(RuntimeError("kaputt"), nullptr, "");

  EXPECT_EQ(Window.Shown.size(), 1u);
  EXPECT_EQ(ReportCount(), 2u);
}

TEST_F(CrashReporterTest, AnErrorFromAnotherThreadIsKeptWithoutAWindow) {
  std::thread([this] { Reporter->HandleError(RuntimeError("im Lesethread"), nullptr, ""); }).join();
  EXPECT_TRUE(Window.Shown.empty());
  EXPECT_NE(ReportFileContent().find("Meldung: im Lesethread\n"), std::string::npos);
}

TEST_F(CrashReporterTest, AReportFileThatCannotBeWrittenIsToldInTheWindow) {
  platform::ForceDirectories(Dir / "bugreport.txt");  // a folder where the file belongs
  Window.Answer(TReportAnswer::Continue);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");

  ASSERT_EQ(Window.Shown.size(), 1u);
  EXPECT_EQ(Window.Shown[0].Message.rfind("kaputt\n\nDer Bericht konnte nicht gespeichert werden: ", 0), 0u)
      << Window.Shown[0].Message;
  EXPECT_NE(Window.Shown[0].Report.find("Meldung: kaputt\n"), std::string::npos);
}

TEST_F(CrashReporterTest, SendOpensAMailWithTheReportAndTheWindowStaysForTheAnswer) {
  Window.Answer(TReportAnswer::Send);
  Window.Answer(TReportAnswer::Continue);
  Reporter->HandleError(RuntimeError("Zeile eins\nZeile zwei"), nullptr, "");

  ASSERT_EQ(Window.Shown.size(), 2u);
  ASSERT_EQ(Shell.Opened.size(), 1u);
  EXPECT_EQ(Shell.Opened[0], Reporter->MailAddressFor("Zeile eins\nZeile zwei", Window.Shown[0].Report));
  EXPECT_TRUE(Events.empty());
}

TEST_F(CrashReporterTest, AMailAddressCarriesSubjectAndWholeReportEncoded) {
  const std::string report = "===== Bericht =====\nZielpfad=/Ausgabe für Übergrößen & mehr? #1 + 2\n";
  const std::string address = Reporter->MailAddressFor("Zeile eins\nZeile zwei", report);

  const std::string head = "mailto:bugs@ratemill.example.org?subject=";
  ASSERT_EQ(address.rfind(head, 0), 0u) << address;
  const std::size_t bodyAt = address.find("&body=");
  ASSERT_NE(bodyAt, std::string::npos);
  EXPECT_EQ(PercentDecode(address.substr(head.size(), bodyAt - head.size())), "Ratemill 1.2.3.4: Zeile eins");
  // The whole short report, with mail line ends, and nothing a mail handler
  // could read as a further field of the address.
  const std::string body = address.substr(bodyAt + 6);
  EXPECT_EQ(body.find_first_of("&?=#+ \n"), std::string::npos) << body;
  EXPECT_NE(body.find("%0D%0A"), std::string::npos);
  EXPECT_EQ(Unix(PercentDecode(body)), report);
}

TEST_F(CrashReporterTest, ALongReportIsCutForTheMailAtAWholeCharacter) {
  // Umlauts take six encoded bytes each, so cuts fall inside them often.
  std::string settings = "[Einstellungen]\n";
  for (int i = 0; i < 400; ++i) settings += "Schlüssel" + std::to_string(i) + "=Größe\n";
  test::WriteFile(Dir / "Ratemill.ini", settings);
  Window.Answer(TReportAnswer::Continue);
  Reporter->HandleError(RuntimeError("kaputt"), nullptr, "");
  const std::string report = Window.Shown.at(0).Report;

  for (std::size_t limitCut = 0; limitCut < 12; ++limitCut) {
    const std::string message = std::string(limitCut, 'x');
    const std::string address = Reporter->MailAddressFor(message, report);
    EXPECT_LE(address.size(), TCrashReporter::kMaxMailAddressLength);
    EXPECT_GT(address.size(), TCrashReporter::kMaxMailAddressLength - 12);
    const std::string body = Unix(PercentDecode(address.substr(address.find("&body=") + 6)));
    const std::string note = "\n[... gekürzt; der ganze Bericht steht in bugreport.txt]";
    ASSERT_GT(body.size(), note.size());
    EXPECT_EQ(body.substr(body.size() - note.size()), note);
    const std::string kept = body.substr(0, body.size() - note.size());
    EXPECT_EQ(report.rfind(kept, 0), 0u);
    // The cut never splits a character: the next byte starts one.
    EXPECT_NE(static_cast<unsigned char>(report[kept.size()]) & 0xC0, 0x80u);
  }
}

}  // namespace
}  // namespace ratemill::crash
