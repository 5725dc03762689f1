// The sequence data library as the converter reaches it: File objects created by class,
// with the members of File, Channels and Events that a conversion uses, and the events
// StatusChange and Progress of each File.
//
// The program chooses the way in (ProgramLibrary): on Windows the library's classes are
// created through COM and called through their interfaces, as any client of the library
// calls them; elsewhere, and in the tests, the library's C++ classes are called directly
// (DirectLibrary). Both give the same results for the same calls. A failure of the
// library throws quarnel::Error with the library's number, description and source.
#pragma once

#include "dataapi/Events.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace quarnel::converter {

class LibraryChannels {
 public:
  virtual ~LibraryChannels() = default;
  virtual int32_t GetBounds() = 0;
  virtual int32_t Network(int32_t index) = 0;
  virtual int32_t Device(int32_t index) = 0;
  virtual int32_t Channel(int32_t index) = 0;
  virtual std::u16string Name(int32_t index) = 0;
  virtual int32_t DeviceType(int32_t index) = 0;
  virtual int32_t Color(int32_t index) = 0;
  virtual int32_t Setting(int32_t index, int32_t setting_number) = 0;
  virtual void SetDeviceType(int32_t index, int32_t value) = 0;
  virtual void SetColor(int32_t index, int32_t value) = 0;
  virtual int32_t Add(int32_t network, int32_t device, int32_t channel, const std::u16string& name,
                      int32_t insert_at_index) = 0;
  virtual int32_t Find(int32_t network, int32_t device, int32_t channel) = 0;
  virtual int32_t FindName(const std::u16string& name) = 0;
};

class LibraryEvents {
 public:
  virtual ~LibraryEvents() = default;
  virtual int32_t GetBounds() = 0;
  virtual int32_t SampleNumber(int32_t index) = 0;
  virtual int32_t Network(int32_t index) = 0;
  virtual int32_t Device(int32_t index) = 0;
  virtual int32_t Channel(int32_t index) = 0;
  virtual int32_t Command(int32_t index) = 0;
  virtual int32_t StartIntensity(int32_t index) = 0;
  virtual int32_t EndIntensity(int32_t index) = 0;
  virtual int32_t Setting(int32_t index, int32_t setting_number) = 0;
  virtual void SetCommand(int32_t index, int32_t value) = 0;
  virtual void SetStartIntensity(int32_t index, int32_t value) = 0;
  virtual void SetEndIntensity(int32_t index, int32_t value) = 0;
  virtual int32_t Add(int32_t network, int32_t device, int32_t channel, int32_t sample_number,
                      bool overwrite) = 0;
  // Puts records that are in key order, no two with one key, into the events: the same
  // outcome as an Add of each with its Command and intensities set, one after another.
  virtual void AddInKeyOrder(std::span<const dataapi::EventRecord> records) = 0;
};

// The stored values a converted sequence takes over from its source.
struct StoredValues {
  std::u16string alternate_media_file;
  std::u16string author;
  std::u16string av_file;
  int32_t edit_count = 0;
  int32_t height = 0;
  int32_t image_brightness = 0;
  int32_t left = 0;
  int32_t length = 0;
  std::u16string picture;
  std::u16string title;
  int32_t top = 0;
  int32_t width = 0;
};

// What a File tells while it works; each handler may be empty.
struct LibraryFileEvents {
  std::function<void(const std::u16string& status_text)> status_change;
  std::function<void(double percent)> progress;
};

class LibraryFile {
 public:
  virtual ~LibraryFile() = default;
  virtual void Load(const std::filesystem::path& file_name) = 0;  // as FileTypeDLS
  virtual void Save(const std::filesystem::path& file_name) = 0;  // as FileTypeDLS
  virtual StoredValues Stored() = 0;
  virtual void SetStored(const StoredValues& values) = 0;
  virtual int32_t Length() = 0;
  virtual void SetAutoRefresh(bool value) = 0;
  virtual void SetName(const std::u16string& value) = 0;
  virtual void SetVersion(double value) = 0;
  // Makes the Timeline object of `from` this file's Timeline: the same object, not a copy.
  virtual void ShareTimelineOf(LibraryFile& from) = 0;
  // Bookmark.Refresh with this file's own Channels and Events.
  virtual void RefreshBookmark() = 0;
  virtual LibraryChannels& Channels() = 0;
  virtual LibraryEvents& Events() = 0;
};

class DataLibrary {
 public:
  virtual ~DataLibrary() = default;
  // A new File object (with new collections) whose events go to `events` until it is
  // destroyed.
  virtual std::unique_ptr<LibraryFile> NewFile(LibraryFileEvents events) = 0;
};

// The library's C++ classes, called directly.
std::unique_ptr<DataLibrary> DirectLibrary();
// The way in that the program on this system uses.
std::unique_ptr<DataLibrary> ProgramLibrary();

}  // namespace quarnel::converter
