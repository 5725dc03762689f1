// The library's C++ classes called directly: each member is the library's own.
#include "converter/DataLibrary.h"
#include "dataapi/Bookmark.h"
#include "dataapi/Channels.h"
#include "dataapi/Events.h"
#include "dataapi/File.h"
#include "dataapi/Timeline.h"

namespace quarnel::converter {

namespace {

class DirectChannels final : public LibraryChannels {
 public:
  void Hold(Ref<dataapi::Channels> c) { c_ = std::move(c); }
  int32_t GetBounds() override { return c_->GetBounds(); }
  int32_t Network(int32_t i) override { return c_->Network(i); }
  int32_t Device(int32_t i) override { return c_->Device(i); }
  int32_t Channel(int32_t i) override { return c_->Channel(i); }
  std::u16string Name(int32_t i) override { return c_->Name(i); }
  int32_t DeviceType(int32_t i) override { return c_->DeviceType(i); }
  int32_t Color(int32_t i) override { return c_->Color(i); }
  int32_t Setting(int32_t i, int32_t n) override { return c_->Setting(i, n); }
  void SetDeviceType(int32_t i, int32_t v) override { c_->SetDeviceType(i, v); }
  void SetColor(int32_t i, int32_t v) override { c_->SetColor(i, v); }
  int32_t Add(int32_t network, int32_t device, int32_t channel, const std::u16string& name,
              int32_t insert_at) override {
    return c_->Add(network, device, channel, name, insert_at);
  }
  int32_t Find(int32_t network, int32_t device, int32_t channel) override {
    return c_->Find(network, device, channel);
  }
  int32_t FindName(const std::u16string& name) override { return c_->FindName(name); }

 private:
  Ref<dataapi::Channels> c_;
};

class DirectEvents final : public LibraryEvents {
 public:
  void Hold(Ref<dataapi::Events> e) { e_ = std::move(e); }
  int32_t GetBounds() override { return e_->GetBounds(); }
  int32_t SampleNumber(int32_t i) override { return e_->SampleNumber(i); }
  int32_t Network(int32_t i) override { return e_->Network(i); }
  int32_t Device(int32_t i) override { return e_->Device(i); }
  int32_t Channel(int32_t i) override { return e_->Channel(i); }
  int32_t Command(int32_t i) override { return e_->Command(i); }
  int32_t StartIntensity(int32_t i) override { return e_->StartIntensity(i); }
  int32_t EndIntensity(int32_t i) override { return e_->EndIntensity(i); }
  int32_t Setting(int32_t i, int32_t n) override { return e_->Setting(i, n); }
  void SetCommand(int32_t i, int32_t v) override { e_->SetCommand(i, v); }
  void SetStartIntensity(int32_t i, int32_t v) override { e_->SetStartIntensity(i, v); }
  void SetEndIntensity(int32_t i, int32_t v) override { e_->SetEndIntensity(i, v); }
  int32_t Add(int32_t network, int32_t device, int32_t channel, int32_t sample,
              bool overwrite) override {
    return e_->Add(network, device, channel, sample, overwrite);
  }
  // One merge: the table is sized once for all of them.
  void AddInKeyOrder(std::span<const dataapi::EventRecord> records) override {
    if (!records.empty()) e_->AddMany(records);
  }

 private:
  Ref<dataapi::Events> e_;
};

class DirectFile final : public LibraryFile {
 public:
  explicit DirectFile(LibraryFileEvents events) : file_(dataapi::File::Create()) {
    auto sink = MakeRef<dataapi::FileEventHandlers>();
    if (events.status_change) {
      sink->on_status_change = [h = events.status_change](std::u16string& text) { h(text); };
    }
    if (events.progress) {
      sink->on_progress = [h = events.progress](double& percent) { h(percent); };
    }
    cookie_ = file_->Advise(sink);
  }
  ~DirectFile() override { file_->Unadvise(cookie_); }

  void Load(const std::filesystem::path& name) override {
    file_->Load(name.u16string(), dataapi::FileTypeDLS);
  }
  void Save(const std::filesystem::path& name) override {
    file_->Save(name.u16string(), dataapi::FileTypeDLS);
  }
  StoredValues Stored() override {
    const dataapi::File& f = *file_;
    return {f.AlternateMediaFile(),
            f.Author(),
            f.AVFile(),
            f.EditCount(),
            f.Height(),
            f.ImageBrightness(),
            f.Left(),
            f.Length(),
            f.Picture(),
            f.Title(),
            f.Top(),
            f.Width()};
  }
  void SetStored(const StoredValues& v) override {
    dataapi::File& f = *file_;
    f.SetAlternateMediaFile(v.alternate_media_file);
    f.SetAuthor(v.author);
    f.SetAVFile(v.av_file);
    f.SetEditCount(v.edit_count);
    f.SetHeight(v.height);
    f.SetImageBrightness(v.image_brightness);
    f.SetLeft(v.left);
    f.SetLength(v.length);
    f.SetPicture(v.picture);
    f.SetTitle(v.title);
    f.SetTop(v.top);
    f.SetWidth(v.width);
  }
  int32_t Length() override { return file_->Length(); }
  void SetAutoRefresh(bool value) override { file_->SetAutoRefresh(value); }
  void SetName(const std::u16string& value) override { file_->SetName(value); }
  void SetVersion(double value) override { file_->SetVersion(value); }
  void ShareTimelineOf(LibraryFile& from) override {
    file_->SetTimeline(static_cast<DirectFile&>(from).file_->Timeline());
  }
  void RefreshBookmark() override {
    file_->Bookmark()->Refresh(file_->Channels(), file_->Events());
  }
  // The collections the file holds now: Load gives it new ones.
  LibraryChannels& Channels() override {
    channels_.Hold(file_->Channels());
    return channels_;
  }
  LibraryEvents& Events() override {
    events_.Hold(file_->Events());
    return events_;
  }

 private:
  Ref<dataapi::File> file_;
  DirectChannels channels_;
  DirectEvents events_;
  uint32_t cookie_ = 0;
};

class Direct final : public DataLibrary {
 public:
  std::unique_ptr<LibraryFile> NewFile(LibraryFileEvents events) override {
    return std::make_unique<DirectFile>(std::move(events));
  }
};

}  // namespace

std::unique_ptr<DataLibrary> DirectLibrary() { return std::make_unique<Direct>(); }

}  // namespace quarnel::converter
