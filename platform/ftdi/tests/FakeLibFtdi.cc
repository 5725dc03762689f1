#include "platform/ftdi/tests/FakeLibFtdi.h"

#include <cstring>
#include <string>

#include <ftdi.h>
#include <libusb.h>

namespace quarnel::ftdi::fake {

LibFtdi& Fake() {
  static LibFtdi fake;
  return fake;
}

void LibFtdi::Reset() { *this = LibFtdi(); }

namespace {

// libusb_device is opaque; the fake hands out pointers into its own device table.
UsbDevice* Dev(libusb_device* d) { return reinterpret_cast<UsbDevice*>(d); }

void Note(std::string call) { Fake().calls.push_back(std::move(call)); }

int Result(ftdi_context* c, int code, const char* text) {
  if (code < 0) c->error_str = text;
  return code;
}

}  // namespace
}  // namespace quarnel::ftdi::fake

using quarnel::ftdi::fake::Fake;
using quarnel::ftdi::fake::UsbDevice;

extern "C" {

ftdi_context* ftdi_new(void) {
  auto c = std::make_unique<ftdi_context>();
  std::memset(c.get(), 0, sizeof(ftdi_context));
  c->usb_read_timeout = 5000;
  c->usb_write_timeout = 5000;
  c->module_detach_mode = AUTO_DETACH_SIO_MODULE;
  ftdi_context* raw = c.get();
  Fake().contexts.push_back(std::move(c));
  ++Fake().live_contexts;
  return raw;
}

void ftdi_free(ftdi_context*) { --Fake().live_contexts; }

int ftdi_set_interface(ftdi_context*, enum ftdi_interface interface) {
  quarnel::ftdi::fake::Note("set_interface " + std::to_string(interface));
  return 0;
}

int ftdi_usb_find_all(ftdi_context*, ftdi_device_list** list, int vendor, int product) {
  quarnel::ftdi::fake::Note("find_all " + std::to_string(vendor) + " " + std::to_string(product));
  *list = nullptr;
  ftdi_device_list** tail = list;
  int n = 0;
  for (UsbDevice& d : Fake().devices) {
    if (d.product_id != product) continue;
    auto* node = static_cast<ftdi_device_list*>(std::calloc(1, sizeof(ftdi_device_list)));
    node->dev = reinterpret_cast<libusb_device*>(&d);
    *tail = node;
    tail = &node->next;
    ++n;
  }
  return n;
}

void ftdi_list_free2(ftdi_device_list* list) {
  while (list != nullptr) {
    ftdi_device_list* next = list->next;
    std::free(list);
    list = next;
  }
}

int ftdi_usb_get_strings2(ftdi_context* c, libusb_device* dev, char* manufacturer, int,
                          char* description, int desc_len, char* serial, int serial_len) {
  UsbDevice* d = quarnel::ftdi::fake::Dev(dev);
  if (manufacturer != nullptr) quarnel::ftdi::fake::Note("asked for the manufacturer");
  if (d->strings_fail) return quarnel::ftdi::fake::Result(c, -4, "libusb_open() failed");
  std::snprintf(description, static_cast<size_t>(desc_len), "%s", d->description.c_str());
  std::snprintf(serial, static_cast<size_t>(serial_len), "%s", d->serial.c_str());
  return 0;
}

int ftdi_usb_open_bus_addr(ftdi_context* c, uint8_t bus, uint8_t addr) {
  quarnel::ftdi::fake::Note("open_bus_addr " + std::to_string(bus) + " " + std::to_string(addr) +
                            " detach_mode=" + std::to_string(c->module_detach_mode));
  return quarnel::ftdi::fake::Result(c, Fake().open_result, "unable to claim usb device");
}

int ftdi_usb_close(ftdi_context*) {
  quarnel::ftdi::fake::Note("close");
  return 0;
}

int ftdi_usb_reset(ftdi_context*) {
  quarnel::ftdi::fake::Note("reset");
  return 0;
}

int ftdi_set_baudrate(ftdi_context*, int baudrate) {
  quarnel::ftdi::fake::Note("baudrate " + std::to_string(baudrate));
  return 0;
}

int ftdi_set_line_property(ftdi_context*, enum ftdi_bits_type bits, enum ftdi_stopbits_type sbit,
                           enum ftdi_parity_type parity) {
  quarnel::ftdi::fake::Note("line " + std::to_string(bits) + " " + std::to_string(sbit) + " " +
                            std::to_string(parity));
  return 0;
}

int ftdi_set_line_property2(ftdi_context*, enum ftdi_bits_type bits, enum ftdi_stopbits_type sbit,
                            enum ftdi_parity_type parity, enum ftdi_break_type break_type) {
  quarnel::ftdi::fake::Note("line+break " + std::to_string(bits) + " " + std::to_string(sbit) +
                            " " + std::to_string(parity) + " " + std::to_string(break_type));
  return 0;
}

int ftdi_setflowctrl(ftdi_context*, int flowctrl) {
  quarnel::ftdi::fake::Note("flow " + std::to_string(flowctrl));
  return 0;
}

int ftdi_setflowctrl_xonxoff(ftdi_context*, unsigned char xon, unsigned char xoff) {
  quarnel::ftdi::fake::Note("flow_xonxoff " + std::to_string(xon) + " " + std::to_string(xoff));
  return 0;
}

int ftdi_setrts(ftdi_context*, int state) {
  quarnel::ftdi::fake::Note("rts " + std::to_string(state));
  return 0;
}

int ftdi_tciflush(ftdi_context*) {
  quarnel::ftdi::fake::Note("tciflush");
  return 0;
}

int ftdi_tcoflush(ftdi_context*) {
  quarnel::ftdi::fake::Note("tcoflush");
  return 0;
}

int ftdi_write_data(ftdi_context* c, const unsigned char*, int size) {
  quarnel::ftdi::fake::Note("write " + std::to_string(size) +
                            " timeout=" + std::to_string(c->usb_write_timeout));
  const int r = Fake().write_result;
  return r < -1 ? size : quarnel::ftdi::fake::Result(c, r, "usb bulk write failed");
}

int ftdi_poll_modem_status(ftdi_context* c, unsigned short* status) {
  quarnel::ftdi::fake::Note("poll");
  *status = Fake().modem_status;
  return quarnel::ftdi::fake::Result(c, Fake().poll_result, "USB device unavailable");
}

const char* ftdi_get_error_string(ftdi_context* c) { return c->error_str; }

uint8_t libusb_get_bus_number(libusb_device* dev) {
  return static_cast<uint8_t>(quarnel::ftdi::fake::Dev(dev)->bus);
}

uint8_t libusb_get_device_address(libusb_device* dev) {
  return static_cast<uint8_t>(quarnel::ftdi::fake::Dev(dev)->address);
}

}  // extern "C"
