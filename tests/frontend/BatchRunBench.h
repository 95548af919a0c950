// The bench of the whole-run tests: a main window with its console window,
// the converter stand-in (or the sox wrapper) as ssrc.exe in a program folder
// of the test's own, the user's answers scripted and every converter call
// recorded. Shared by the portable tests and those that need POSIX.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <cctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GuiFixture.h"
#include "ScopedEnvironment.h"
#include "TempDir.h"
#include "WavFixture.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"
#include "frontend/RunStatusModel.h"

namespace ratemill::test {

using Lines = std::vector<std::string>;

inline constexpr char kMissingConverter[] = "Fehler! Datei ssrc.exe nicht im Programmverzeichnis vorhanden!";

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

using TEnvironment = test::TScopedEnvironment;

// In capture mode the converter writes a hidden temporary file beside the
// output, which becomes the output when the converter succeeded. The tests
// compare calls and panes by the output each temporary file stands for;
// `converterWritesAHiddenTemporaryFile` looks at the names themselves.
inline std::string WithOutputNames(const std::string& text) {
  static const std::string mark = ".ratemill-part-";
  std::string result;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(mark, from)) != std::string::npos;) {
    // The name runs back to its folder's delimiter and begins with a dot.
    // Windows delimits with either slash; no test name holds a backslash.
    const std::size_t slash = text.find_last_of("/\\", at);
    std::size_t end = at + mark.size();
    const std::size_t digits = end;
    while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '-')) ++end;
    if (slash == std::string::npos || slash + 1 >= at || text[slash + 1] != '.' || end == digits) {
      result += text.substr(from, at + mark.size() - from);
      from = at + mark.size();
      continue;
    }
    result += text.substr(from, slash + 1 - from) + text.substr(slash + 2, at - slash - 2);
    from = end;
  }
  return result + text.substr(from);
}

// The lines of a pane as the user sees them once the frame has shown them.
inline Lines PaneLines(const QPlainTextEdit* pane) {
  if (auto* console = qobject_cast<TConsoleOutputForm*>(pane->window())) console->Flush();
  Lines lines;
  for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next())
    lines.push_back(WithOutputNames(block.text().toStdString()));
  return lines;
}

// A main window with the console window, a program folder holding `ssrc.exe`
// and a folder of source files. Every converter call is recorded.
class TBench {
 public:
  explicit TBench(const std::string& converter = RATEMILL_TEST_CONVERTER) {
    std::filesystem::copy_file(converter, Fixture.AppDir() + "ssrc.exe");
    Form = Fixture.CreateMainForm();
    Console = new TConsoleOutputForm(Form.get());
    Form->SetConsoleOutputForm(Console);
    // Rate and bits chosen, so no header is read and every option is plain.
    Form->ComboSampleRate->setCurrentIndex(3);  // 48000
    Form->ComboBits->setCurrentIndex(3);        // 24
    Form->AttenuateDBEdit->setText("0");
    Form->NoiseComboBox->setCurrentIndex(0);  // default
    Form->Dither2Option->setChecked(true);
    Form->CheckTwoPass->setChecked(false);
    Form->CheckNormalize->setChecked(false);
    Form->CheckFast->setChecked(false);
    Form->TempFileCheckBox->setChecked(false);
    Form->UseOldBatchModeCheckbox->setChecked(false);
    Form->PrioComboBox->setCurrentIndex(1);
    Form->TargetDirectoryEdit->setText("");
    Form->SetConcurrentJobs(1);
    Env.Set("RATEMILL_TC_RECORD", Record);
    Env.Set("RATEMILL_TC_PROGRESS_STEPS", "1");
    Env.Unset("RATEMILL_TC_STDERR_LINES");
    Env.Unset("RATEMILL_TC_SLEEP_MS");
  }

  ~TBench() {
    // The hooks refer to the test's locals, which are gone by now.
    for (const QMetaObject::Connection& hook : Hooks) QObject::disconnect(hook);
  }
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;

  // Writes a WAV source and lists it.
  std::string AddSource(const std::string& name, std::uint32_t rate = 44100, std::uint16_t bits = 16) {
    const std::string path = Sources / name;
    if (!Exists(path)) test::WriteWav(path, rate, bits, 2, 441);
    Form->FileList->addItem(QString::fromStdString(path));
    return path;
  }

  void Start() { Form->StartButton->click(); }

  // The argv of every converter call, in order, by output names.
  std::vector<Lines> Calls() const {
    std::vector<Lines> calls = RawCalls();
    for (Lines& call : calls) {
      for (std::string& argument : call) argument = WithOutputNames(argument);
    }
    return calls;
  }

  // The argv of every converter call as the converter got it.
  std::vector<Lines> RawCalls() const {
    std::vector<Lines> calls;
    if (!Exists(Record)) return calls;
    std::istringstream in(test::ReadFile(Record));
    Lines call;
    for (std::string line; std::getline(in, line);) {
      if (line.empty()) {
        calls.push_back(call);
        call.clear();
      } else {
        call.push_back(line);
      }
    }
    return calls;
  }

  static Lines Argv(const std::string& source, const std::string& output) {
    return {"--rate", "48000", "--bits", "24", "--dither", "2", source, output};
  }

  static std::string CommandLine(const std::string& source, const std::string& output) {
    return " --rate 48000 --bits 24 --dither 2 \"" + source + "\" \"" + output + "\"";
  }

  std::vector<std::string> ListEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < Form->FileList->count(); ++i) entries.push_back(Form->FileList->item(i)->text().toStdString());
    return entries;
  }

  std::string ProcessingStatus(const std::string& name) const {
    return Form->MessageText(TTextId::StatusProcessFile) + name;
  }

  // Gives the main window these lines of its language section, as a translation would.
  void UseTexts(const std::string& lines) {
    Fixture.WriteLanguage("[main window]\n" + lines);
    Form->ApplyLanguage();
  }

  // Calls `action` once, when a line of the output pane first satisfies `when`.
  // The pane shows a frame's lines in one change, so every line is looked at.
  void OnInfoLine(std::function<bool(const std::string&)> when, std::function<void()> action) {
    auto done = std::make_shared<bool>(false);
    Hooks.push_back(QObject::connect(Console->InfoMemo, &QPlainTextEdit::textChanged, Console, [=, this] {
      if (*done) return;
      for (QTextBlock block = Console->InfoMemo->document()->begin(); block.isValid(); block = block.next()) {
        if (!when(block.text().toStdString())) continue;
        *done = true;
        action();
        return;
      }
    }));
  }

  // Calls `action` when the run announces `source`, before its converter starts.
  void OnProcessing(const std::string& source, std::function<void()> action) {
    OnInfoLine([source](const std::string& line) { return line == "====>  Processing file: " + source; },
               std::move(action));
  }

  // Calls `action` once, as soon as `count` converters have been started.
  // Works also while several run, when their lines reach the panes only at
  // their end: each converter notes its call in the record file as it starts.
  void WhenStarted(std::size_t count, std::function<void()> action) {
    if (!Exists(Record)) test::WriteFile(Record, "");
    auto* watcher = new QFileSystemWatcher({QString::fromStdString(Record)}, Console);
    auto done = std::make_shared<bool>(false);
    Hooks.push_back(QObject::connect(watcher, &QFileSystemWatcher::fileChanged, Console, [=, this] {
      if (*done || RawCalls().size() < count) return;
      *done = true;
      action();
    }));
  }

  // Calls `action` while the converter of `source` runs.
  void WhileConverting(const std::string& source, std::function<void()> action) {
    OnInfoLine([source](const std::string& line) { return line == "Source file : " + source; }, std::move(action));
  }

  // The run's summary in the status bar without its time, which depends on
  // the machine: "3 Dateien: 2 konvertiert, 1 abgebrochen".
  std::string Summary() const {
    const std::string text = Form->StatusText(0);
    const std::size_t clock = text.rfind(", ");
    return clock == std::string::npos ? "<no time in: " + text + ">" : text.substr(0, clock);
  }

  // The output pane's lines before the run's summary, which the run adds as
  // the pane's last line, the same as the status bar shows.
  Lines InfoLinesBeforeSummary() const {
    Lines lines = PaneLines(Console->InfoMemo);
    if (lines.empty() || lines.back() != Form->StatusText(0))
      lines.push_back("<no summary line>");
    else
      lines.pop_back();
    return lines;
  }

  // One row of the status table as the user reads it.
  struct TRowView {
    std::string State;
    std::string Note;
    std::string Result;
  };
  TRowView RowView(std::size_t row) const {
    TRunStatusModel& model = *Console->RunStatus;
    model.Flush();
    auto cell = [&](int column) {
      return model.data(model.index(static_cast<int>(row), column)).toString().toStdString();
    };
    return {cell(TRunStatusModel::colState), cell(TRunStatusModel::colNote), cell(TRunStatusModel::colResult)};
  }
  std::vector<std::string> States() const {
    std::vector<std::string> states;
    for (std::size_t i = 0; i < Console->RunStatus->Rows(); ++i) states.push_back(RowView(i).State);
    return states;
  }

  // The selected entries of the file list.
  std::vector<std::string> SelectedEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < Form->FileList->count(); ++i) {
      if (Form->FileList->item(i)->isSelected()) entries.push_back(Form->FileList->item(i)->text().toStdString());
    }
    return entries;
  }

  // The controls are back to their state between runs.
  void CheckIdle() const {
    QVERIFY(!Form->StartButton->isHidden());
    QVERIFY(Form->CancelButton->isHidden());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  test::TGuiFixture Fixture;
  test::TTempDir Sources;
  test::TTempDir Outputs;
  test::TTempDir Scratch;
  std::string Record = Scratch / "record.txt";
  TEnvironment Env;
  std::vector<QMetaObject::Connection> Hooks;
  std::unique_ptr<TMainForm> Form;
  TConsoleOutputForm* Console = nullptr;
};

}  // namespace ratemill::test
