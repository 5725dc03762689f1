// One run of Recast: the two documents, the channel map and the passes over them.
// Internal to the converter; see Recaster.h for what a conversion does.
#pragma once

#include "converter/DmxEventWriter.h"
#include "converter/Effects.h"
#include "converter/Recaster.h"
#include "converter/RgbData.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>

namespace quarnel::converter {

class RecastRun {
 public:
  RecastRun(const ConversionRequest& request, DataLibrary& library, DeviceRemaps& remaps, Rnd& rnd,
            ConversionObserver& observer);
  RecastRun(const RecastRun&) = delete;
  RecastRun& operator=(const RecastRun&) = delete;

  ConversionResult Run();

 private:
  // A converted channel: its DMX addresses and their writer slots.
  struct MappedChannel {
    RgbData dmx;
    int32_t slot_red;
    int32_t slot_green;
    int32_t slot_blue;
  };
  struct Address {
    int32_t network, device, channel;
    friend bool operator==(const Address&, const Address&) = default;
  };
  struct AddressHash {
    size_t operator()(const Address& a) const;
  };

  void SetUpNewFile();
  // Channel pass.
  void ChannelPass();
  void ConvertChannel(int32_t j);
  void CreateDMXChannel(const std::u16string& name, int32_t device, int32_t channel, int32_t colour,
                        int32_t source_device, int32_t source_channel, int32_t source_network);
  // Event pass.
  void EventPass();
  void ConvertEvent(LibraryEvents& events, int32_t j, const MappedChannel& mapped,
                    const EffectSpan& span);
  void ShowEventProgress(int32_t j, int32_t bounds);

  void Status(const std::string& text, double percent = -1) {
    observer_.UpdateStatus(text, percent);
  }
  void CheckStop() const;

  const ConversionRequest& request_;
  DeviceRemaps& remaps_;
  Rnd& rnd_;
  ConversionObserver& observer_;
  std::filesystem::path new_name_;
  std::unique_ptr<LibraryFile> oOldDLS_;
  std::unique_ptr<LibraryFile> oNewDLS_;
  std::unique_ptr<DmxEventWriter> writer_;
  std::unordered_map<Address, MappedChannel, AddressHash> channel_map_;
  int32_t insert_position_ = 0;
  std::time_t last_progress_second_ = -1;
  ConversionResult result_;
};

}  // namespace quarnel::converter
