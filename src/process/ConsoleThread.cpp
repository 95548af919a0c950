#include "process/ConsoleThread.h"

namespace ratemill {

TConsoleThread::TConsoleThread(std::shared_ptr<platform::TChildProcess> process,
                               std::shared_ptr<platform::IMessageWindow> window, platform::TOsHandle inputWrite)
    : TWaitForProcessThread(std::move(process), std::move(window)), FInputWrite(std::move(inputWrite)) {}

}  // namespace ratemill
