// Steps of the translation editor's tests, shared by the portable tests and
// those that need POSIX.
#pragma once

#include <QString>
#include <QTableWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "i18n/TranslateForm.h"

namespace ratemill::test {

inline QString Cell(const TTranslateForm& editor, int row) { return editor.TranslateGrid->item(row, 1)->text(); }

inline void SetCell(TTranslateForm& editor, int row, const QString& text) {
  editor.TranslateGrid->item(row, 1)->setText(text);
}

// The editor opened as the About window's button opens it, without waiting
// in a modal loop.
inline void Open(TTranslateForm& editor) {
  editor.FillGrid();
  editor.show();
}

// The names of the temporary files a save may leave in `folder`.
inline std::vector<std::string> TempFilesIn(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp") != std::string::npos) found.push_back(name);
  }
  return found;
}

}  // namespace ratemill::test
