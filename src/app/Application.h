#pragma once

#include <QApplication>

namespace ratemill {

namespace platform {
class IMessageBoxes;
}

// The GUI application. Whatever an event handler throws and nobody caught on
// the way is handed to the global error handling here, and the event loop
// goes on.
class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// The program's global error handling: the error's message in an error box.
void InstallErrorBoxHandler(platform::IMessageBoxes& boxes);

}  // namespace ratemill
