#include "app/Application.h"

#include <QWidget>
#include <exception>

#include "about/AboutAddresses.h"
#include "about/FileVersion.h"
#include "crash/CrashReporter.h"
#include "crash/FatalHandler.h"
#include "crash/SystemFacts.h"
#include "platform/ErrorHandling.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"

namespace ratemill {
namespace {

// The receiver in words: its class, and its object name when it has one, so
// that a report says which window or control failed.
std::string DescribeReceiver(const QObject* receiver) {
  if (!receiver) return {};
  std::string place = receiver->metaObject()->className();
  const QString name = receiver->objectName();
  if (!name.isEmpty()) place += " '" + name.toStdString() + "'";
  return place;
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    platform::HandleException(std::current_exception(), receiver, DescribeReceiver(receiver));
    return false;
  }
}

void InstallErrorBoxHandler(platform::IMessageBoxes& boxes) {
  platform::SetGlobalErrorHandler([&boxes](std::exception_ptr error, const void*) {
    boxes.Show(platform::TMessageKind::ErrorOk, platform::ErrorMessage(error));
  });
}

TCrashReporting::TCrashReporting(const platform::TServices& services, platform::IReportWindow& window,
                                 platform::IProgramStarter& starter)
    : FSettingsFile(services.DataDir + "Ratemill.ini"), FVersion(GetFileVersionString(services.AppFileName)) {
  crash::TCrashReportSetup setup;
  setup.ReportFolder = services.DataDir;
  setup.SettingsFile = FSettingsFile;
  setup.Version = FVersion;
  setup.ToolkitVersion = qVersion();
  setup.AppFileName = services.AppFileName;
  setup.AppDir = services.AppDir;
  setup.MailAddress = kMailAddress;
  setup.CurrentSourceFile = [this] { return FCurrentSourceFile ? FCurrentSourceFile() : std::string(); };
  setup.EndProgram = [] {
    QApplication::closeAllWindows();
    // Queued, so that it also ends an event loop that has not started yet
    // (an error while the windows are being created).
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  };
  FReporter = std::make_unique<crash::TCrashReporter>(std::move(setup), window, *services.Shell, starter,
                                                      *services.MessageBoxes);
  platform::SetGlobalErrorHandler([reporter = FReporter.get()](std::exception_ptr error, const void* sender) {
    std::string place = platform::CurrentErrorPlace();
    // A window that hands on its own error (the main window's close path)
    // names only itself; among the living widgets it can be named in words.
    // Only addresses are compared, so a sender of any other kind is safe.
    if (place.empty() && sender) {
      for (const QWidget* widget : QApplication::allWidgets()) {
        if (static_cast<const void*>(widget) == sender) place = DescribeReceiver(widget);
      }
    }
    reporter->HandleError(error, sender, place);
  });
}

TCrashReporting::~TCrashReporting() { platform::SetGlobalErrorHandler({}); }

void TCrashReporting::SetCurrentSourceFile(std::function<std::string()> currentSourceFile) {
  FCurrentSourceFile = std::move(currentSourceFile);
}

void TCrashReporting::CatchCrashes() {
  crash::TFatalReportSetup setup;
  setup.PendingReportFile = FReporter->PendingReportFile();
  setup.Version = FVersion;
  setup.OperatingSystem = crash::OperatingSystemDescription();
  setup.ToolkitVersion = qVersion();
  setup.SettingsFile = FSettingsFile;
  crash::InstallFatalHandler(setup);
}

bool TCrashReporting::ShowPendingReport() { return FReporter->ShowPendingReport(); }

}  // namespace ratemill
