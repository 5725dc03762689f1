// A stand-in for libftdi1, preloaded (LD_PRELOAD) into a DMX server under benchmark, so
// that servers built on libftdi1 run against the same simulated FT232R interface without
// hardware: one device (vendor 0x0403, product 0x6001, serial "BENCH1" or
// QUARNEL_FTDI_STANDIN_SERIAL) that accepts every set-up call, keeps the line settings,
// and takes a write its time on the line at the baud rate and word length set (a 512-byte
// write at 250 000 baud, 8N2: 22.5 ms). Nothing else of the library is offered.
//
// Every call is recorded with the monotonic time at which it was made, one line each, in
// the simulated interface's capture format (<ns> <serial> <CALL> <args>; writes as their
// count and hex bytes), in the file named by QUARNEL_FTDI_STANDIN_RECORD. The times are
// the machine's monotonic clock itself, so a benchmark can set them against its own. The
// record is kept in memory and written out once a second (or a megabyte) and when the
// program ends, so that recording costs a server under measurement hardly any system
// calls.
//
// The library holds its one device and its record as module state: a preloaded library
// has nowhere else to keep them. Calls may come from any thread; a lock keeps the
// device and the record whole.
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <ftdi.h>
#include <libusb.h>
#include <unistd.h>

namespace {

constexpr int kVendor = 0x0403;
constexpr int kProduct = 0x6001;
constexpr unsigned short kTransmitterEmpty = 0x6000;  // TEMT and THRE in the line status
constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr size_t kRecordChunk = size_t{1} << 20;

int64_t Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t{t.tv_sec} * kNsPerSecond + t.tv_nsec;
}

void SleepUntil(int64_t when) {
  const timespec t{static_cast<time_t>(when / kNsPerSecond),
                   static_cast<long>(when % kNsPerSecond)};
  // Bounded: each turn either ends the sleep or was interrupted by a signal.
  for (int turn = 0; turn < 1000; ++turn) {
    if (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != EINTR) return;
  }
}

// The one simulated interface and the record of the calls made on it.
struct Device {
  std::mutex lock;
  std::string serial;
  int record = -1;
  std::string pending;  // lines not yet written out
  int64_t written_at = 0;
  int baud = 9600;         // what opening leaves the chip at
  int bits_per_byte = 10;  // start bit, 8 data bits, 1 stop bit
  int64_t busy_until = 0;  // when the line has sent the bytes written so far
  char list_entry = 0;     // stands for the device in a device list

  Device() {
    const char* serial_env = std::getenv("QUARNEL_FTDI_STANDIN_SERIAL");
    serial = serial_env != nullptr && *serial_env != '\0' ? serial_env : "BENCH1";
    if (const char* path = std::getenv("QUARNEL_FTDI_STANDIN_RECORD")) {
      record = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
    pending.reserve(2 * kRecordChunk);
  }

  // The program ends: what is left of the record goes out.
  ~Device() {
    std::lock_guard<std::mutex> hold(lock);
    WriteOut();
    if (record >= 0) ::close(record);
  }

  // The caller holds the lock (or the program is ending).
  void WriteOut() {
    if (record < 0 || pending.empty()) return;
    // A short write of a regular file opened for appending only happens when the disk is
    // full; the record is then incomplete, which its reader notices.
    [[maybe_unused]] const ssize_t n = ::write(record, pending.data(), pending.size());
    pending.clear();
  }

  libusb_device* ListEntry() { return reinterpret_cast<libusb_device*>(&list_entry); }

  // One line of the record; the caller holds the lock.
  void Record(int64_t ns, const std::string& call) {
    if (record < 0) return;
    pending += std::to_string(ns);
    pending += ' ';
    pending += serial;
    pending += ' ';
    pending += call;
    pending += '\n';
    if (pending.size() >= kRecordChunk || ns - written_at >= kNsPerSecond) {
      WriteOut();
      written_at = ns;
    }
  }
};

Device& TheDevice() {
  static Device device;
  return device;
}

int Recorded(ftdi_context* ftdi, const std::string& call) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> hold(d.lock);
  d.Record(Now(), call);
  if (ftdi != nullptr) ftdi->error_str = "";
  return 0;
}

int Opened(ftdi_context* ftdi, unsigned int index) {
  if (ftdi == nullptr) return -1;
  Device& d = TheDevice();
  std::lock_guard<std::mutex> hold(d.lock);
  d.Record(Now(), "OPEN " + std::to_string(index));
  d.baud = 9600;
  d.bits_per_byte = 10;
  d.busy_until = Now();
  ftdi->usb_dev = reinterpret_cast<libusb_device_handle*>(&d.list_entry);
  ftdi->type = TYPE_R;
  ftdi->baudrate = 9600;
  ftdi->error_str = "";
  return 0;
}

int NoDevice(ftdi_context* ftdi) {
  if (ftdi != nullptr) ftdi->error_str = "device not found";
  return -3;
}

int BitsPerByte(ftdi_bits_type bits, ftdi_stopbits_type stop, ftdi_parity_type parity) {
  const int data = bits == BITS_7 ? 7 : 8;
  const int stops = stop == STOP_BIT_2 ? 2 : 1;  // 1.5 counts as 1
  return 1 + data + (parity == NONE ? 0 : 1) + stops;
}

int LineProperty(ftdi_context* ftdi, ftdi_bits_type bits, ftdi_stopbits_type stop,
                 ftdi_parity_type parity, const char* call) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> hold(d.lock);
  d.Record(Now(), std::string(call));
  d.bits_per_byte = BitsPerByte(bits, stop, parity);
  if (ftdi != nullptr) ftdi->error_str = "";
  return 0;
}

void Copy(const char* text, char* to, int size) {
  if (to == nullptr || size <= 0) return;
  std::snprintf(to, static_cast<size_t>(size), "%s", text);
}

}  // namespace

extern "C" {

// --- Contexts

int ftdi_init(ftdi_context* ftdi) {
  if (ftdi == nullptr) return -3;
  std::memset(ftdi, 0, sizeof *ftdi);
  ftdi->usb_read_timeout = 5000;
  ftdi->usb_write_timeout = 5000;
  ftdi->type = TYPE_BM;
  ftdi->baudrate = -1;
  ftdi->interface = 0;
  ftdi->index = INTERFACE_A;
  ftdi->error_str = "";
  return 0;
}

ftdi_context* ftdi_new(void) {
  auto* ftdi = static_cast<ftdi_context*>(std::calloc(1, sizeof(ftdi_context)));
  if (ftdi != nullptr) ftdi_init(ftdi);
  return ftdi;
}

void ftdi_deinit(ftdi_context* ftdi) {
  if (ftdi != nullptr) ftdi->usb_dev = nullptr;
}

void ftdi_free(ftdi_context* ftdi) {
  ftdi_deinit(ftdi);
  std::free(ftdi);
}

int ftdi_set_interface(ftdi_context* ftdi, enum ftdi_interface interface) {
  if (ftdi != nullptr) ftdi->index = interface;
  return 0;
}

const char* ftdi_get_error_string(ftdi_context* ftdi) {
  return ftdi != nullptr && ftdi->error_str != nullptr ? ftdi->error_str : "";
}

// --- Finding and opening

int ftdi_usb_find_all(ftdi_context*, ftdi_device_list** devlist, int vendor, int product) {
  if (devlist == nullptr) return -1;
  *devlist = nullptr;
  const bool ours = (vendor == kVendor || vendor == 0) && (product == kProduct || product == 0);
  if (!ours) return 0;
  auto* node = static_cast<ftdi_device_list*>(std::calloc(1, sizeof(ftdi_device_list)));
  if (node == nullptr) return -3;
  node->dev = TheDevice().ListEntry();
  *devlist = node;
  return 1;
}

void ftdi_list_free2(ftdi_device_list* devlist) {
  // Bounded by the list's length.
  while (devlist != nullptr) {
    ftdi_device_list* next = devlist->next;
    std::free(devlist);
    devlist = next;
  }
}

void ftdi_list_free(ftdi_device_list** devlist) {
  if (devlist == nullptr) return;
  ftdi_list_free2(*devlist);
  *devlist = nullptr;
}

int ftdi_usb_get_strings2(ftdi_context* ftdi, libusb_device* dev, char* manufacturer, int mnf_len,
                          char* description, int desc_len, char* serial, int serial_len) {
  if (dev != TheDevice().ListEntry()) return NoDevice(ftdi);
  Copy("FTDI", manufacturer, mnf_len);
  Copy("FT232R USB UART", description, desc_len);
  Copy(TheDevice().serial.c_str(), serial, serial_len);
  return 0;
}

int ftdi_usb_get_strings(ftdi_context* ftdi, libusb_device* dev, char* manufacturer, int mnf_len,
                         char* description, int desc_len, char* serial, int serial_len) {
  return ftdi_usb_get_strings2(ftdi, dev, manufacturer, mnf_len, description, desc_len, serial,
                               serial_len);
}

int ftdi_usb_open_desc_index(ftdi_context* ftdi, int vendor, int product, const char* description,
                             const char* serial, unsigned int index) {
  if (vendor != kVendor || product != kProduct || index != 0) return NoDevice(ftdi);
  if (description != nullptr && std::strcmp(description, "FT232R USB UART") != 0) {
    return NoDevice(ftdi);
  }
  if (serial != nullptr && TheDevice().serial != serial) return NoDevice(ftdi);
  return Opened(ftdi, index);
}

int ftdi_usb_open_desc(ftdi_context* ftdi, int vendor, int product, const char* description,
                       const char* serial) {
  return ftdi_usb_open_desc_index(ftdi, vendor, product, description, serial, 0);
}

int ftdi_usb_open(ftdi_context* ftdi, int vendor, int product) {
  return ftdi_usb_open_desc_index(ftdi, vendor, product, nullptr, nullptr, 0);
}

int ftdi_usb_open_dev(ftdi_context* ftdi, libusb_device* dev) {
  return dev == TheDevice().ListEntry() ? Opened(ftdi, 0) : NoDevice(ftdi);
}

int ftdi_usb_open_bus_addr(ftdi_context* ftdi, uint8_t bus, uint8_t addr) {
  return bus == 1 && addr == 1 ? Opened(ftdi, 0) : NoDevice(ftdi);
}

int ftdi_usb_close(ftdi_context* ftdi) {
  if (ftdi != nullptr) ftdi->usb_dev = nullptr;
  return Recorded(ftdi, "CLOSE");
}

// Where the stand-in's device sits; other devices are the real library's business.
uint8_t libusb_get_bus_number(libusb_device* dev) {
  if (dev == TheDevice().ListEntry()) return 1;
  using Real = uint8_t (*)(libusb_device*);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "libusb_get_bus_number"));
  return real != nullptr ? real(dev) : 0;
}

uint8_t libusb_get_device_address(libusb_device* dev) {
  if (dev == TheDevice().ListEntry()) return 1;
  using Real = uint8_t (*)(libusb_device*);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "libusb_get_device_address"));
  return real != nullptr ? real(dev) : 0;
}

// --- Set-up

int ftdi_usb_reset(ftdi_context* ftdi) { return Recorded(ftdi, "RESET"); }

int ftdi_tciflush(ftdi_context* ftdi) { return Recorded(ftdi, "PURGE 1"); }

int ftdi_tcoflush(ftdi_context* ftdi) {
  Device& d = TheDevice();
  {
    std::lock_guard<std::mutex> hold(d.lock);
    d.busy_until = std::min(d.busy_until, Now());  // what waited to be sent is dropped
  }
  return Recorded(ftdi, "PURGE 2");
}

int ftdi_tcioflush(ftdi_context* ftdi) {
  ftdi_tcoflush(ftdi);
  return ftdi_tciflush(ftdi);
}

int ftdi_usb_purge_rx_buffer(ftdi_context* ftdi) { return ftdi_tciflush(ftdi); }
int ftdi_usb_purge_tx_buffer(ftdi_context* ftdi) { return ftdi_tcoflush(ftdi); }
int ftdi_usb_purge_buffers(ftdi_context* ftdi) { return ftdi_tcioflush(ftdi); }

int ftdi_set_baudrate(ftdi_context* ftdi, int baudrate) {
  if (baudrate <= 0) {
    if (ftdi != nullptr) ftdi->error_str = "Silly baudrate <= 0.";
    return -1;
  }
  Device& d = TheDevice();
  std::lock_guard<std::mutex> hold(d.lock);
  d.Record(Now(), "SET_BAUDRATE " + std::to_string(baudrate));
  d.baud = baudrate;
  if (ftdi != nullptr) ftdi->baudrate = baudrate;
  return 0;
}

int ftdi_set_line_property(ftdi_context* ftdi, ftdi_bits_type bits, ftdi_stopbits_type sbit,
                           ftdi_parity_type parity) {
  const std::string call = "SET_DATA " + std::to_string(static_cast<int>(bits)) + " " +
                           std::to_string(static_cast<int>(sbit)) + " " +
                           std::to_string(static_cast<int>(parity));
  return LineProperty(ftdi, bits, sbit, parity, call.c_str());
}

int ftdi_set_line_property2(ftdi_context* ftdi, ftdi_bits_type bits, ftdi_stopbits_type sbit,
                            ftdi_parity_type parity, ftdi_break_type break_type) {
  return LineProperty(ftdi, bits, sbit, parity, break_type == BREAK_ON ? "BREAK_ON" : "BREAK_OFF");
}

int ftdi_setflowctrl(ftdi_context* ftdi, int flowctrl) {
  return Recorded(ftdi, "SET_FLOW " + std::to_string(flowctrl));
}

int ftdi_setflowctrl_xonxoff(ftdi_context* ftdi, unsigned char xon, unsigned char xoff) {
  return Recorded(ftdi, "SET_FLOW_XONXOFF " + std::to_string(xon) + " " + std::to_string(xoff));
}

int ftdi_setrts(ftdi_context* ftdi, int state) {
  return Recorded(ftdi, "SET_RTS " + std::to_string(state));
}

int ftdi_setdtr(ftdi_context* ftdi, int state) {
  return Recorded(ftdi, "SET_DTR " + std::to_string(state));
}

int ftdi_set_latency_timer(ftdi_context* ftdi, unsigned char latency) {
  return Recorded(ftdi, "SET_LATENCY " + std::to_string(latency));
}

// --- Output

int ftdi_write_data(ftdi_context* ftdi, const unsigned char* buf, int size) {
  if (buf == nullptr || size < 0) return -1;
  static constexpr char kHex[] = "0123456789abcdef";
  Device& d = TheDevice();
  int64_t done = 0;
  {
    std::lock_guard<std::mutex> hold(d.lock);
    const int64_t now = Now();
    std::string call = "WRITE " + std::to_string(size) + " ";
    call.reserve(call.size() + 2 * static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) {
      call += kHex[buf[i] >> 4];
      call += kHex[buf[i] & 15];
    }
    d.Record(now, call);
    const int64_t per_byte = kNsPerSecond * d.bits_per_byte / d.baud;
    d.busy_until = std::max(now, d.busy_until) + per_byte * size;
    done = d.busy_until;
  }
  if (ftdi != nullptr) ftdi->error_str = "";
  SleepUntil(done);  // returns once the last byte is on the line
  return size;
}

int ftdi_read_data(ftdi_context* ftdi, unsigned char*, int) {
  Recorded(ftdi, "READ");
  return 0;
}

int ftdi_poll_modem_status(ftdi_context* ftdi, unsigned short* status) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> hold(d.lock);
  const int64_t now = Now();
  d.Record(now, "POLL_STATUS");
  if (status != nullptr) *status = now >= d.busy_until ? (kTransmitterEmpty | 0x01) : 0x01;
  if (ftdi != nullptr) ftdi->error_str = "";
  return 0;
}

}  // extern "C"
