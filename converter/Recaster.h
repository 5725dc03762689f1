// The conversion of one sequence: every effect recast as steady DMX levels on Network 32.
//
//   1. the device remap table is reloaded
//   2. the source is loaded through one File object of the library
//   3. the new File gets the source's stored values and its Timeline object
//   4. channel pass: each source channel becomes one channel on Network 32 (an RGB channel
//      three: red, green and blue), at the address the remap table gives it
//   5. event pass: each source event becomes command-33 steps on those channels
//   6. the new file's Bookmark is rebuilt and it is saved as NAME_DMX.dls beside the source
//
// The source file is only read. What the conversion is doing goes to an observer as status
// texts and percentages, with the library's own status texts and percentages of both
// files. A conversion that cannot go on throws: ConversionError for a reason of its own
// (a duplicate channel address, no DMX device left, a source that is no ".dls" file, the
// user asked it to stop), quarnel::Error for an error of the library; nothing is saved
// then, and the remap entries made so far stay in the table file.
#pragma once

#include "converter/DataLibrary.h"
#include "converter/DeviceRemaps.h"
#include "converter/Options.h"
#include "converter/Rnd.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::converter {

// The parts of a conversion, for those who time them.
enum class ConversionPhase { kLoad, kChannelPass, kEventPass, kBookmark, kSave, kDone };

class ConversionObserver {
 public:
  virtual ~ConversionObserver() = default;
  // UpdateStatus: a status text ("NULL" keeps the last one) and a percentage (-1 keeps it).
  virtual void UpdateStatus(const std::string& text, double percent) = 0;
  // A source channel left out of the conversion, with why.
  virtual void Warning(const std::string& text) = 0;
  // Asked between steps; true stops the conversion before anything is saved.
  virtual bool StopRequested() { return false; }
  virtual void PhaseStarted(ConversionPhase phase) { (void)phase; }
};

struct ConversionRequest {
  std::filesystem::path source;
  Options options;
  // Events go in with one bulk merge; false adds them one Events.Add at a time.
  bool bulk = true;
};

struct ConversionResult {
  std::filesystem::path new_name;
  int32_t events_created = 0;
  // The Channels Report lines of this conversion's channels.
  std::vector<std::string> channel_lines;
};

// Converts request.source with two File objects of `library`. `remaps` and `rnd` live for
// the whole program run.
ConversionResult Recast(const ConversionRequest& request, DataLibrary& library,
                        DeviceRemaps& remaps, Rnd& rnd, ConversionObserver& observer);

}  // namespace quarnel::converter
