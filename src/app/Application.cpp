#include "app/Application.h"

#include <exception>

#include "platform/ErrorHandling.h"
#include "platform/MessageBoxes.h"

namespace ratemill {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    platform::HandleException(std::current_exception(), receiver);
    return false;
  }
}

void InstallErrorBoxHandler(platform::IMessageBoxes& boxes) {
  platform::SetGlobalErrorHandler([&boxes](std::exception_ptr error, const void*) {
    boxes.Show(platform::TMessageKind::ErrorOk, platform::ErrorMessage(error));
  });
}

}  // namespace ratemill
