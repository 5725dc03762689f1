#include "platform/ftdi/LibFtdiBackend.h"

#include "platform/ftdi/D2xxTypes.h"
#include "platform/ftdi/DeviceSession.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include <ftdi.h>
#include <libusb.h>
#include <unistd.h>

namespace quarnel::ftdi {

namespace {

struct Family {
  int product_id;
  int ports;  // serial ports on one chip
};
constexpr Family kFamilies[] = {
    {0x6001, 1},  // FT232R, FT245R (and the older FT232BM/AM)
    {0x6010, 2},  // FT2232C/D/H
    {0x6014, 1},  // FT232H
};

constexpr unsigned short kTransmitterEmpty = 0x4000;

struct ContextFree {
  void operator()(ftdi_context* c) const { ftdi_free(c); }
};
using Context = std::unique_ptr<ftdi_context, ContextFree>;

struct ListFree {
  void operator()(ftdi_device_list* l) const { ftdi_list_free2(l); }
};
using DeviceList = std::unique_ptr<ftdi_device_list, ListFree>;

std::string LibError(ftdi_context* c) {
  const char* text = c != nullptr ? ftdi_get_error_string(c) : nullptr;
  return std::string("libftdi: ") + (text != nullptr && *text != '\0' ? text : "unknown error");
}

FtdiResult Check(int code, ftdi_context* c) {
  return code < 0 ? FtdiResult::Fail(FtdiOutcome::kIoError, LibError(c)) : FtdiResult::Ok();
}

struct Locator {
  int bus = -1;
  int address = -1;
  int port = 0;  // 0: single-port chip; 1, 2: port A, B
};

std::string FormatLocator(const Locator& l) {
  return "usb:" + std::to_string(l.bus) + ":" + std::to_string(l.address) + ":" +
         std::to_string(l.port);
}

bool ParseLocator(const std::string& text, Locator* l) {
  return std::sscanf(text.c_str(), "usb:%d:%d:%d", &l->bus, &l->address, &l->port) == 3 &&
         l->bus >= 0 && l->bus < 256 && l->address >= 0 && l->address < 256 && l->port >= 0 &&
         l->port <= 2;
}

std::string DeviceNode(const Locator& l) {
  char node[40];
  std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", l.bus, l.address);
  return node;
}

class LibFtdiPort : public FtdiPort {
 public:
  explicit LibFtdiPort(Context context) : c_(std::move(context)) {}
  ~LibFtdiPort() override { ftdi_usb_close(c_.get()); }

  FtdiResult Reset() override { return Check(ftdi_usb_reset(c_.get()), c_.get()); }

  FtdiResult SetDivisor(uint16_t divisor) override {
    // libftdi works out the chip's own divisor for the rate (H chips use a faster clock).
    return Check(
        ftdi_set_baudrate(c_.get(), static_cast<int>(DeviceSession::BaudForDivisor(divisor))),
        c_.get());
  }

  FtdiResult SetDataCharacteristics(const LineSettings& line) override {
    return Check(ftdi_set_line_property(c_.get(), Bits(line), Stop(line), Parity(line)), c_.get());
  }

  FtdiResult SetFlowControl(uint16_t flow, uint8_t xon, uint8_t xoff) override {
    if (flow == kFtFlowXonXoff)
      return Check(ftdi_setflowctrl_xonxoff(c_.get(), xon, xoff), c_.get());
    return Check(ftdi_setflowctrl(c_.get(), flow), c_.get());
  }

  FtdiResult ClearRts() override { return Check(ftdi_setrts(c_.get(), 0), c_.get()); }

  FtdiResult Purge(uint32_t mask) override {
    if (mask & kFtPurgeTx) {
      if (FtdiResult r = Check(ftdi_tcoflush(c_.get()), c_.get()); !r.ok()) return r;
    }
    if (mask & kFtPurgeRx) return Check(ftdi_tciflush(c_.get()), c_.get());
    return FtdiResult::Ok();
  }

  FtdiResult SetBreak(bool on, const LineSettings& line) override {
    // One request carries word length, stop bits, parity and break: repeat the line's.
    return Check(ftdi_set_line_property2(c_.get(), Bits(line), Stop(line), Parity(line),
                                         on ? BREAK_ON : BREAK_OFF),
                 c_.get());
  }

  FtdiResult Write(std::span<const uint8_t> bytes) override {
    const int n = ftdi_write_data(c_.get(), bytes.data(), static_cast<int>(bytes.size()));
    if (n == static_cast<int>(bytes.size())) return FtdiResult::Ok();
    return FtdiResult::Fail(FtdiOutcome::kIoError, n < 0 ? LibError(c_.get()) : "short write");
  }

  std::optional<bool> TransmitterEmpty() override {
    unsigned short status = 0;
    if (ftdi_poll_modem_status(c_.get(), &status) < 0) return std::nullopt;
    return (status & kTransmitterEmpty) != 0;
  }

  bool Probe() override {
    unsigned short status = 0;
    return ftdi_poll_modem_status(c_.get(), &status) >= 0;
  }

 private:
  static ftdi_bits_type Bits(const LineSettings& l) { return l.bits == 7 ? BITS_7 : BITS_8; }
  static ftdi_stopbits_type Stop(const LineSettings& l) {
    return l.stop_bits == 2 ? STOP_BIT_2 : STOP_BIT_1;
  }
  static ftdi_parity_type Parity(const LineSettings& l) {
    return static_cast<ftdi_parity_type>(l.parity);
  }

  Context c_;
};

}  // namespace

FtdiList LibFtdiBackend::List() {
  FtdiList result;
  Context c(ftdi_new());
  if (!c) {
    result.status =
        FtdiResult::Fail(FtdiOutcome::kIoError, "libftdi could not start (libusb failed)");
    return result;
  }
  for (const Family& family : kFamilies) {
    ftdi_device_list* raw = nullptr;
    const int found = ftdi_usb_find_all(c.get(), &raw, kVendorId, family.product_id);
    DeviceList list(raw);
    if (found < 0) {
      result.status = FtdiResult::Fail(FtdiOutcome::kIoError, LibError(c.get()));
      result.devices.clear();
      return result;
    }
    for (ftdi_device_list* node = list.get(); node != nullptr; node = node->next) {
      char description[256] = {};
      char serial[256] = {};
      Locator where;
      where.bus = libusb_get_bus_number(node->dev);
      where.address = libusb_get_device_address(node->dev);
      if (ftdi_usb_get_strings2(c.get(), node->dev, nullptr, 0, description, sizeof description,
                                serial, sizeof serial) < 0) {
        // Usually no permission to open the device: it is listed, and opening says why.
        serial[0] = '\0';
        std::snprintf(description, sizeof description, "at USB bus %d device %d", where.bus,
                      where.address);
      }
      description[sizeof description - 1] = '\0';
      serial[sizeof serial - 1] = '\0';
      for (int port = 1; port <= family.ports; ++port) {
        FtdiDeviceInfo info{serial, description, ""};
        where.port = family.ports > 1 ? port : 0;
        if (family.ports > 1) {
          const char letter = static_cast<char>('A' + port - 1);
          if (!info.serial.empty()) info.serial += letter;
          info.description += ' ';
          info.description += letter;
        }
        info.locator = FormatLocator(where);
        result.devices.push_back(std::move(info));
      }
    }
  }
  return result;
}

FtdiOpen LibFtdiBackend::Open(const FtdiDeviceInfo& device, uint32_t) {
  FtdiOpen result;
  Locator where;
  if (!ParseLocator(device.locator, &where)) {
    result.status = FtdiResult::Fail(FtdiOutcome::kNotFound, "not a listed USB device");
    return result;
  }
  Context c(ftdi_new());
  if (!c) {
    result.status =
        FtdiResult::Fail(FtdiOutcome::kIoError, "libftdi could not start (libusb failed)");
    return result;
  }
  // Detach the kernel's serial driver from this device only, and give it back on close.
  c->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
  if (where.port != 0) {
    ftdi_set_interface(c.get(), where.port == 1 ? INTERFACE_A : INTERFACE_B);
  }
  const int code = ftdi_usb_open_bus_addr(c.get(), static_cast<uint8_t>(where.bus),
                                          static_cast<uint8_t>(where.address));
  if (code < 0) {
    const std::string node = DeviceNode(where);
    if (::access(node.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
      result.status = FtdiResult::Fail(FtdiOutcome::kNoPermission, "no permission to use " + node);
    } else if (code == -3) {
      result.status = FtdiResult::Fail(FtdiOutcome::kNotFound, LibError(c.get()));
    } else if (code == -5 || code == -11) {
      result.status =
          FtdiResult::Fail(FtdiOutcome::kBusy, "it is in use (" + LibError(c.get()) + ")");
    } else {
      result.status = FtdiResult::Fail(FtdiOutcome::kIoError, LibError(c.get()));
    }
    return result;
  }
  c->usb_write_timeout = kUsbTimeoutMs;
  c->usb_read_timeout = kUsbTimeoutMs;
  result.port = std::make_unique<LibFtdiPort>(std::move(c));
  return result;
}

}  // namespace quarnel::ftdi
