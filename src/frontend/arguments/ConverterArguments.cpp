#include "frontend/arguments/ConverterArguments.h"

#include <charconv>

#include "frontend/arguments/WavHeaderReader.h"
#include "platform/FileSystem.h"

namespace ratemill {

namespace {

// A list with nothing selected counts as its first item, which keeps the
// source's value: the alternative, an option with no value after it, would
// make the converter take the next argument (the input path) as the value.
bool KeepsSourceValue(int index) { return index <= 0; }

// The chosen rate in kHz. The rate list holds plain numbers; should an item
// ever hold something else, its leading digits count and a text without any
// gives 0, so a name is still made and nothing throws in the middle of a run.
std::string RateTextToKHz(const std::string& rateText) {
  long long hz = 0;
  std::from_chars(rateText.data(), rateText.data() + rateText.size(), hz);
  return std::to_string(hz / 1000);
}

}  // namespace

std::string QuoteForConverter(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      // 2n+1 backslashes before a quote give n backslashes and a literal quote.
      quoted.append(2 * backslashes + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    quoted += c;
    backslashes = 0;
  }
  // Before the closing quote 2n backslashes give n and let the quote close.
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

TArgumentFragments BuildArgumentFragments(const TConversionOptions& options) {
  TArgumentFragments f;
  f.ConverterName = options.UseHP ? "ssrc_hp.exe " : "ssrc.exe ";
  if (options.CaptureOutput) f.ConverterName.pop_back();

  if (!KeepsSourceValue(options.SampleRateIndex)) f.FArgRate = " --rate " + options.SampleRateText;
  if (!KeepsSourceValue(options.BitsIndex)) f.FArgBits = " --bits " + options.BitsText;
  if (options.AttenuationText != "0") f.FArgAtt = " --att " + options.AttenuationText;
  if (options.TwoPass) f.FArgTwoPass = " --twopass";
  if (options.Normalize) f.FArgNormalize = " --normalize";
  // With no button checked (not possible in the window) no fragment is set.
  if (options.DitherIndex >= 0 && options.DitherIndex <= 4)
    f.FArgDither = " --dither " + std::to_string(options.DitherIndex);
  // An empty text means the noise list has nothing selected: the converter's
  // own default then applies, as with "default".
  if (options.NoiseText != "default" && !options.NoiseText.empty()) f.FArgPdf = " --pdf " + options.NoiseText;
  if (options.Fast) f.FArgProfile = " --profile fast";

  f.KeepBits = KeepsSourceValue(options.BitsIndex);
  f.KeepRate = KeepsSourceValue(options.SampleRateIndex);
  if (!f.KeepRate) f.ChosenKHz = RateTextToKHz(options.SampleRateText);

  if (options.TempFile) f.FArgTmpFile = " --tmpfile " + QuoteForConverter(options.TempFileName);
  return f;
}

std::string MakeOutputPath(const std::string& source, const std::string& outputFolder,
                           const TArgumentFragments& fragments, const std::string& bitsDisplayedText,
                           TWavHeaderReader& header) {
  std::string name = platform::ExtractFileName(source);
  if (name.size() >= 4) name.resize(name.size() - 4);

  TWavFormat format;
  if (fragments.KeepRate || fragments.KeepBits) format = header.ReadWavHeader(source);

  // Integer division truncates towards zero, so odd header values (negative,
  // below 1000) still give a number and never fail.
  const std::string kHz = fragments.KeepRate ? std::to_string(format.SampleRate / 1000) : fragments.ChosenKHz;
  const std::string bits = fragments.KeepBits ? std::to_string(format.BitsPerSample) : bitsDisplayedText;

  const std::string folder = outputFolder.empty() ? platform::ExtractFilePath(source) : outputFolder;
  return folder + name + "_" + kHz + "-" + bits + ".wav";
}

std::string ComposeArguments(const TArgumentFragments& f, const std::string& source, const std::string& output) {
  return f.FArgRate + f.FArgBits + f.FArgAtt + f.FArgTwoPass + f.FArgNormalize + f.FArgDither + f.FArgPdf +
         f.FArgProfile + f.FArgTmpFile + " " + QuoteForConverter(source) + " " + QuoteForConverter(output);
}

std::string DebugText(const TArgumentFragments& fragments, const std::string& arguments) {
  return fragments.ConverterName + arguments;
}

}  // namespace ratemill
