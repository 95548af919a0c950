#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace ratemill::platform {
class TIniFile;
}

namespace ratemill {

// The translatable texts, in the order of the translation editor's grid: the
// value of an id is its grid row and its index in `TextCatalogue()`.
enum class TTextId : int {
  GroupFiles,
  GroupOptions,
  OpenButton,
  DeleteButton,
  CancelButton,
  FindFolderButton,
  BatchButton,
  LabelSampleRate,
  DontChangeSampleRate,
  DontChangeBitRate,
  LabelAttenuation,
  LabelTargetDir,
  LabelBits,
  LabelPDFofNoise,
  CheckFast,
  CheckTwoPass,
  CheckNormalize,
  GroupDither,
  StartButton,
  MissingSSRC,
  NoFilesSelected,
  CreateNewDirQuery,
  NoTmpFileName,
  TranslationCancelButton,
  TranslationSaveButton,
  TranslationWindowCaption,
  InfoTranslateButton,
  EnableDebugMode,
  DisableDebugMode,
  StatusCheckParameters,
  StatusProcessFile,
  TempFileCheckBox,
  HPCheckBox,
  UseOldBatchModeCheckbox,
  PrioForSSRCLabel,
  PrioLow,
  PrioNormal,
  PrioHigh,
  LabelConcurrentJobs,
  InvalidAttenuation,
  ColumnFile,
  ColumnState,
  ColumnProgress,
  ColumnTime,
  ColumnResult,
  ColumnNote,
  StateWaiting,
  StateRunning,
  StateDone,
  StateFailed,
  StateSkipped,
  StateCancelled,
  ResultFormat,
  StatusTableName,
  ProgressCount,
  ProgressTimeLeft,
  SummaryFiles,
  SummaryConverted,
  SummaryFailed,
  SummarySkipped,
  SummaryCancelled,
  FailedFilesBox,
  MoreFailedFiles,
  OutputExistsReason,
  SummaryOneFile,
};

// Follows the last id, so that a new text cannot be forgotten here.
inline constexpr std::size_t kTextCount = static_cast<std::size_t>(TTextId::SummaryOneFile) + 1;

// One translatable text. The editor reads and writes `Section`/`Key`; the
// window that shows the text reads `WindowSection`/`WindowKey`. Both pairs
// name the same entry, since profile names match without regard to case; the
// spellings differ only where files written by older versions expect them to.
struct TTextRow {
  int Row;
  std::string GridLabel;
  std::string Section;
  std::string Key;
  std::string WindowSection;
  std::string WindowKey;
  std::string WindowDefault;
  std::string EditorDefault;
};

const std::array<TTextRow, kTextCount>& TextCatalogue();
const TTextRow& CatalogueRow(TTextId id);

// The converter's public home page (the one the About window links to);
// offered when the converter is missing.
extern const char* const kConverterDownloadAddress;

// The built-in text of "MissingSSRC": holds one "%s" for the program's folder
// and one "[[linebreak]]" marker.
//
// Two texts report a missing converter, and both are kept on purpose. This
// one is shown at start-up, where nothing can work without the converter: it
// is translatable, names the folder and offers the download page before the
// program ends. Start checks again, because the file may have gone since; its
// fixed, untranslated text only refuses that run and leaves the window open.
std::string MissingSSRCDefault();

// `dataDir` (with its trailing delimiter) followed by "language.ini".
std::string LanguageFileName(const std::string& dataDir);

// A text as a window shows it: the window's spelling and default.
std::string ReadWindowText(const platform::TIniFile& file, TTextId id);
// A text as the translation editor offers it, and writes it back.
std::string ReadEditorText(const platform::TIniFile& file, TTextId id);
void WriteEditorText(platform::TIniFile& file, TTextId id, const std::string& text);

}  // namespace ratemill
