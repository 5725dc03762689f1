// On Windows the converter is a client of the library's COM server, as the product's
// sequencer is: each File is created by class (CLSID_File), every member is called
// through the dual interfaces _File, _Channels, _Events and _Bookmark, and the events
// StatusChange and Progress arrive through the File's connection point for __File.
// A failed call throws the library's error as the server reported it (its number,
// description and source).
#include "converter/ConversionError.h"
#include "converter/DataLibrary.h"
#include "dataapi/com/ComSupport.h"
#include "dataapi/com/QuarnelDataAPI3.h"
#include "platform/base/ComForThisThread_win.h"
#include "platform/base/Utf8.h"
#include "platform/base/WideText_win.h"

// clang-format off
#include <windows.h>  // before the other system headers
#include <ocidl.h>
#include <oleauto.h>
// clang-format on

#include <exception>

namespace quarnel::converter {

namespace {

using dataapi::com::ComPtr;
using dataapi::com::NewBstr;
using dataapi::com::TextOf;

// A BSTR this side owns: an argument made here or a result handed out by the server.
class OwnedBstr {
 public:
  OwnedBstr() = default;
  explicit OwnedBstr(std::u16string_view text) : b_(NewBstr(text)) {}
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;
  ~OwnedBstr() { SysFreeString(b_); }
  BSTR Get() const { return b_; }
  BSTR* Put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::u16string Text() const { return std::u16string(TextOf(b_)); }

 private:
  BSTR b_ = nullptr;
};

// The error a failed call stands for: the server's error information when it left some,
// else the system's text for the status.
[[noreturn]] void Raise(HRESULT hr, const char* member) {
  std::string description;
  std::string source = member;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) {
    OwnedBstr text;
    if (SUCCEEDED(info->GetDescription(text.Put()))) description = Utf16ToUtf8(text.Text());
    if (SUCCEEDED(info->GetSource(text.Put())) && !text.Text().empty()) {
      source = Utf16ToUtf8(text.Text());
    }
  }
  if (description.empty()) description = platform::SystemErrorText(static_cast<unsigned long>(hr));
  throw Error(dataapi::com::NumberFromHresult(hr), description, source);
}

void Check(HRESULT hr, const char* member) {
  if (FAILED(hr)) Raise(hr, member);
}

// The value of a getter call: `call` is handed where the result goes.
template <class T = long, class Call>
T Get(const char* member, Call&& call) {
  T value{};
  Check(call(&value), member);
  return value;
}

template <class Call>
std::u16string GetText(const char* member, Call&& call) {
  OwnedBstr text;
  Check(call(text.Put()), member);
  return text.Text();
}

class ComChannels final : public LibraryChannels {
 public:
  void Hold(ComPtr<_Channels> c) { c_ = std::move(c); }
  int32_t GetBounds() override {
    return Get("Channels.GetBounds", [&](long* v) { return c_->GetBounds(v); });
  }
  int32_t Network(int32_t i) override {
    return Get("Channels.Network", [&](long* v) { return c_->get_Network(i, v); });
  }
  int32_t Device(int32_t i) override {
    return Get("Channels.Device", [&](long* v) { return c_->get_Device(i, v); });
  }
  int32_t Channel(int32_t i) override {
    return Get("Channels.Channel", [&](long* v) { return c_->get_Channel(i, v); });
  }
  std::u16string Name(int32_t i) override {
    return GetText("Channels.Name", [&](BSTR* v) { return c_->get_Name(i, v); });
  }
  int32_t DeviceType(int32_t i) override {
    return Get("Channels.DeviceType", [&](long* v) { return c_->get_DeviceType(i, v); });
  }
  int32_t Color(int32_t i) override {
    return Get("Channels.Color", [&](long* v) { return c_->get_Color(i, v); });
  }
  int32_t Setting(int32_t i, int32_t n) override {
    return Get("Channels.Setting", [&](long* v) { return c_->get_Setting(i, n, v); });
  }
  void SetDeviceType(int32_t i, int32_t v) override {
    Check(c_->put_DeviceType(i, v), "Channels.DeviceType");
  }
  void SetColor(int32_t i, int32_t v) override { Check(c_->put_Color(i, v), "Channels.Color"); }
  int32_t Add(int32_t network, int32_t device, int32_t channel, const std::u16string& name,
              int32_t insert_at) override {
    OwnedBstr text(name);
    return Get("Channels.Add", [&](long* v) {
      return c_->Add(network, device, channel, text.Get(), insert_at, v);
    });
  }
  int32_t Find(int32_t network, int32_t device, int32_t channel) override {
    return Get("Channels.Find", [&](long* v) { return c_->Find(network, device, channel, v); });
  }
  int32_t FindName(const std::u16string& name) override {
    OwnedBstr text(name);
    return Get("Channels.FindName", [&](long* v) { return c_->FindName(text.Get(), v); });
  }

 private:
  ComPtr<_Channels> c_;
};

class ComEvents final : public LibraryEvents {
 public:
  void Hold(ComPtr<_Events> e) { e_ = std::move(e); }
  int32_t GetBounds() override {
    return Get("Events.GetBounds", [&](long* v) { return e_->GetBounds(v); });
  }
  int32_t SampleNumber(int32_t i) override {
    return Get("Events.SampleNumber", [&](long* v) { return e_->get_SampleNumber(i, v); });
  }
  int32_t Network(int32_t i) override {
    return Get("Events.Network", [&](long* v) { return e_->get_Network(i, v); });
  }
  int32_t Device(int32_t i) override {
    return Get("Events.Device", [&](long* v) { return e_->get_Device(i, v); });
  }
  int32_t Channel(int32_t i) override {
    return Get("Events.Channel", [&](long* v) { return e_->get_Channel(i, v); });
  }
  int32_t Command(int32_t i) override {
    return Get("Events.Command", [&](long* v) { return e_->get_Command(i, v); });
  }
  int32_t StartIntensity(int32_t i) override {
    return Get("Events.StartIntensity", [&](long* v) { return e_->get_StartIntensity(i, v); });
  }
  int32_t EndIntensity(int32_t i) override {
    return Get("Events.EndIntensity", [&](long* v) { return e_->get_EndIntensity(i, v); });
  }
  int32_t Setting(int32_t i, int32_t n) override {
    return Get("Events.Setting", [&](long* v) { return e_->get_Setting(i, n, v); });
  }
  void SetCommand(int32_t i, int32_t v) override { Check(e_->put_Command(i, v), "Events.Command"); }
  void SetStartIntensity(int32_t i, int32_t v) override {
    Check(e_->put_StartIntensity(i, v), "Events.StartIntensity");
  }
  void SetEndIntensity(int32_t i, int32_t v) override {
    Check(e_->put_EndIntensity(i, v), "Events.EndIntensity");
  }
  int32_t Add(int32_t network, int32_t device, int32_t channel, int32_t sample,
              bool overwrite) override {
    return Get("Events.Add", [&](long* v) {
      return e_->Add(network, device, channel, sample, dataapi::com::VariantBool(overwrite), v);
    });
  }
  // In key order each Add lands behind the last event, so the whole is linear.
  void AddInKeyOrder(std::span<const dataapi::EventRecord> records) override {
    for (const dataapi::EventRecord& r : records) {
      const int32_t idx = Add(r.network, r.device, r.channel, r.sample_number, false);
      if (idx < 0) continue;
      SetCommand(idx, r.command);
      SetStartIntensity(idx, r.start_intensity);
      SetEndIntensity(idx, r.end_intensity);
    }
  }

 private:
  ComPtr<_Events> e_;
};

// The File's sink for __File: StatusChange (1) and Progress (5) go to the converter's
// handlers. It lives inside its ComFile, which disconnects it before it goes, so its
// count only tells the server's references. What a handler throws is kept, not let
// through the server, and thrown again when the server's call has returned.
class FileSink final : public IDispatch {
 public:
  static constexpr DISPID kStatusChange = 1;
  static constexpr DISPID kProgress = 5;

  explicit FileSink(LibraryFileEvents events) : events_(std::move(events)) {}

  void RethrowFailure() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID___File)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++count_; }
  STDMETHODIMP_(ULONG) Release() override { return --count_; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (!params || params->cArgs != 1) return S_OK;
    const VARIANT& arg = params->rgvarg[0];
    try {
      if (id == kStatusChange && events_.status_change) {
        if (V_VT(&arg) == (VT_BSTR | VT_BYREF)) {
          events_.status_change(std::u16string(TextOf(*V_BSTRREF(&arg))));
        } else if (V_VT(&arg) == VT_BSTR) {
          events_.status_change(std::u16string(TextOf(V_BSTR(&arg))));
        }
      } else if (id == kProgress && events_.progress) {
        if (V_VT(&arg) == (VT_R8 | VT_BYREF)) {
          events_.progress(*V_R8REF(&arg));
        } else if (V_VT(&arg) == VT_R8) {
          events_.progress(V_R8(&arg));
        }
      }
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
    return S_OK;
  }

 private:
  LibraryFileEvents events_;
  ULONG count_ = 0;
  std::exception_ptr failure_;
};

class ComFile final : public LibraryFile {
 public:
  ComFile(ComPtr<_File> file, LibraryFileEvents events)
      : file_(std::move(file)), sink_(std::move(events)) {
    ComPtr<IConnectionPointContainer> points;
    Check(file_->QueryInterface(IID_IConnectionPointContainer,
                                reinterpret_cast<void**>(points.Put())),
          "File");
    Check(points->FindConnectionPoint(DIID___File, point_.Put()), "File");
    Check(point_->Advise(&sink_, &cookie_), "File");
  }
  ~ComFile() override { point_->Unadvise(cookie_); }
  ComFile(const ComFile&) = delete;
  ComFile& operator=(const ComFile&) = delete;

  void Load(const std::filesystem::path& name) override {
    OwnedBstr text(name.u16string());
    const HRESULT hr = file_->Load(text.Get(), FileTypeDLS);
    sink_.RethrowFailure();
    Check(hr, "File.Load");
  }
  void Save(const std::filesystem::path& name) override {
    OwnedBstr text(name.u16string());
    const HRESULT hr = file_->Save(text.Get(), FileTypeDLS);
    sink_.RethrowFailure();
    Check(hr, "File.Save");
  }
  StoredValues Stored() override {
    _File* f = file_.Get();
    StoredValues v;
    v.alternate_media_file =
        GetText("File.AlternateMediaFile", [&](BSTR* r) { return f->get_AlternateMediaFile(r); });
    v.author = GetText("File.Author", [&](BSTR* r) { return f->get_Author(r); });
    v.av_file = GetText("File.AVFile", [&](BSTR* r) { return f->get_AVFile(r); });
    v.edit_count = Get("File.EditCount", [&](long* r) { return f->get_EditCount(r); });
    v.height = Get("File.Height", [&](long* r) { return f->get_Height(r); });
    v.image_brightness =
        Get("File.ImageBrightness", [&](long* r) { return f->get_ImageBrightness(r); });
    v.left = Get("File.Left", [&](long* r) { return f->get_Left(r); });
    v.length = Length();
    v.picture = GetText("File.Picture", [&](BSTR* r) { return f->get_Picture(r); });
    v.title = GetText("File.Title", [&](BSTR* r) { return f->get_Title(r); });
    v.top = Get("File.Top", [&](long* r) { return f->get_Top(r); });
    v.width = Get("File.Width", [&](long* r) { return f->get_Width(r); });
    return v;
  }
  void SetStored(const StoredValues& v) override {
    _File* f = file_.Get();
    Check(f->put_AlternateMediaFile(OwnedBstr(v.alternate_media_file).Get()),
          "File.AlternateMediaFile");
    Check(f->put_Author(OwnedBstr(v.author).Get()), "File.Author");
    Check(f->put_AVFile(OwnedBstr(v.av_file).Get()), "File.AVFile");
    Check(f->put_EditCount(v.edit_count), "File.EditCount");
    Check(f->put_Height(v.height), "File.Height");
    Check(f->put_ImageBrightness(v.image_brightness), "File.ImageBrightness");
    Check(f->put_Left(v.left), "File.Left");
    Check(f->put_Length(v.length), "File.Length");
    Check(f->put_Picture(OwnedBstr(v.picture).Get()), "File.Picture");
    Check(f->put_Title(OwnedBstr(v.title).Get()), "File.Title");
    Check(f->put_Top(v.top), "File.Top");
    Check(f->put_Width(v.width), "File.Width");
  }
  int32_t Length() override {
    return Get("File.Length", [&](long* r) { return file_->get_Length(r); });
  }
  void SetAutoRefresh(bool value) override {
    Check(file_->put_AutoRefresh(dataapi::com::VariantBool(value)), "File.AutoRefresh");
  }
  void SetName(const std::u16string& value) override {
    Check(file_->put_Name(OwnedBstr(value).Get()), "File.Name");
  }
  void SetVersion(double value) override { Check(file_->put_Version(value), "File.Version"); }
  void ShareTimelineOf(LibraryFile& from) override {
    ComPtr<_Timeline> timeline;
    Check(static_cast<ComFile&>(from).file_->get_Timeline(timeline.Put()), "File.Timeline");
    Check(file_->putref_Timeline(timeline.Get()), "File.Timeline");
  }
  void RefreshBookmark() override {
    ComPtr<_Bookmark> bookmark;
    Check(file_->get_Bookmark(bookmark.Put()), "File.Bookmark");
    ComPtr<_Channels> channels;
    Check(file_->get_Channels(channels.Put()), "File.Channels");
    ComPtr<_Events> events;
    Check(file_->get_Events(events.Put()), "File.Events");
    // The arguments go by reference: whatever the server leaves in them is ours again.
    _Channels* c = channels.Detach();
    _Events* e = events.Detach();
    const HRESULT hr = bookmark->Refresh(&c, &e);
    *channels.Put() = c;
    *events.Put() = e;
    Check(hr, "Bookmark.Refresh");
  }
  LibraryChannels& Channels() override {
    ComPtr<_Channels> c;
    Check(file_->get_Channels(c.Put()), "File.Channels");
    channels_.Hold(std::move(c));
    return channels_;
  }
  LibraryEvents& Events() override {
    ComPtr<_Events> e;
    Check(file_->get_Events(e.Put()), "File.Events");
    events_.Hold(std::move(e));
    return events_;
  }

 private:
  ComPtr<_File> file_;
  FileSink sink_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  ComChannels channels_;
  ComEvents events_;
};

class ComLibrary final : public DataLibrary {
 public:
  std::unique_ptr<LibraryFile> NewFile(LibraryFileEvents events) override {
    ComPtr<_File> file;
    const HRESULT hr = CoCreateInstance(CLSID_File, nullptr, CLSCTX_INPROC_SERVER, IID__File,
                                        reinterpret_cast<void**>(file.Put()));
    if (hr == REGDB_E_CLASSNOTREG) {
      throw ConversionError("the data library is not registered: run PatchInstaller.exe");
    }
    if (FAILED(hr)) {
      throw ConversionError("the data library could not be started: " +
                            platform::SystemErrorText(static_cast<unsigned long>(hr)) +
                            " Run PatchInstaller.exe again to register it where it lies.");
    }
    return std::make_unique<ComFile>(std::move(file), std::move(events));
  }

 private:
  platform::ComForThisThread com_;
};

}  // namespace

std::unique_ptr<DataLibrary> ProgramLibrary() { return std::make_unique<ComLibrary>(); }

}  // namespace quarnel::converter
