// Saves a settings file over and over, as the main window does on close:
// twelve keys through one profile file object, then `UpdateFile`. Before each
// save it prints "saving N" on stdout, so that a test can kill it while the
// save is under way. Usage: ini_saver FILE
#include <unistd.h>

#include <string>

#include "platform/IniFile.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const char* const keys[] = {"Samplerate", "Bits",   "Rauschen", "Abschwaecher", "Clippingschutz", "Normalisieren",
                              "Schnell",    "Dither", "Zielpfad", "TmpFile",      "TmpFilePfad",    "benutzeHP"};
  for (long round = 1;; ++round) {
    const std::string note = "saving " + std::to_string(round) + "\n";
    if (::write(STDOUT_FILENO, note.data(), note.size()) != static_cast<ssize_t>(note.size())) return 3;
    ratemill::platform::TIniFile settings(argv[1]);
    for (const char* key : keys) settings.WriteInteger("Einstellungen", key, round);
    settings.UpdateFile();
  }
}
