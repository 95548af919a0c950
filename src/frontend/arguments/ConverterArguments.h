#pragma once

#include <string>

namespace ratemill {

class TWavHeaderReader;

// The option controls of the main window as they stand when a run starts.
struct TConversionOptions {
  int SampleRateIndex = -1;    // -1: nothing selected
  std::string SampleRateText;  // the selected item's text
  int BitsIndex = -1;          // -1: nothing selected
  std::string BitsText;        // the displayed text
  std::string AttenuationText = "0";
  bool TwoPass = false;
  bool Normalize = false;
  int DitherIndex = 2;                // the checked one of the five dither buttons
  std::string NoiseText = "default";  // the displayed text
  bool Fast = false;
  bool TempFile = false;
  std::string TempFileName;
  bool UseHP = false;
  bool CaptureOutput = true;
};

// What one run hands to every file: the converter's name and the option
// fragments, each either empty or beginning with a blank.
struct TArgumentFragments {
  std::string ConverterName;  // "ssrc.exe"/"ssrc_hp.exe"; a trailing blank in batch mode
  std::string FArgRate;
  std::string FArgBits;
  std::string FArgAtt;
  std::string FArgTwoPass;
  std::string FArgNormalize;
  std::string FArgDither;
  std::string FArgPdf;
  std::string FArgProfile;
  std::string FArgTmpFile;
  bool KeepRate = false;  // the output name takes the kHz from the source's header
  std::string ChosenKHz;  // the chosen rate in kHz when the rate is not kept
  bool KeepBits = false;  // the output name takes the bits from the source's header
};

TArgumentFragments BuildArgumentFragments(const TConversionOptions& options);

// The converted file's full path: the source's name less its last four
// characters, "_" kHz "-" bits, ".wav", in `outputFolder` (which ends with a
// delimiter) or, when that is empty, beside the source. The header is read
// only when the rate or the bits are kept, and then once.
std::string MakeOutputPath(const std::string& source, const std::string& outputFolder,
                           const TArgumentFragments& fragments, const std::string& bitsDisplayedText,
                           TWavHeaderReader& header);

// The converter's argument string for one file: the fragments, then the two
// paths, each quoted. Always begins with a blank, never ends with one.
std::string ComposeArguments(const TArgumentFragments& fragments, const std::string& source, const std::string& output);

// What debug mode shows instead of running the converter.
std::string DebugText(const TArgumentFragments& fragments, const std::string& arguments);

// `text` as one double-quoted argument that the C runtime's splitting gives
// back unchanged: a quote in it is escaped, and backslashes are doubled where
// they stand before a quote or before the closing quote. A text without
// either of those is just enclosed in quotes.
std::string QuoteForConverter(const std::string& text);

}  // namespace ratemill
