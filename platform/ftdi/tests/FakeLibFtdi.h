// Stand-ins for the libftdi1 and libusb functions the libftdi back end calls, linked in
// place of the real libraries: USB devices are described by the test, and every call is
// noted in words, so the back end's arguments can be checked without hardware.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct ftdi_context;

namespace quarnel::ftdi::fake {

struct UsbDevice {
  int product_id = 0x6001;
  int bus = 1;
  int address = 2;
  std::string serial;
  std::string description = "FT232R USB UART";
  bool strings_fail = false;  // reading the strings fails (no permission)
};

struct LibFtdi {
  std::vector<UsbDevice> devices;
  std::vector<std::string> calls;
  int open_result = 0;    // what ftdi_usb_open_bus_addr returns
  int write_result = -2;  // below -1: write succeeds with all bytes; else returned as is
  int poll_result = 0;    // what ftdi_poll_modem_status returns
  unsigned short modem_status = 0x6000;
  int live_contexts = 0;

  std::vector<std::unique_ptr<ftdi_context>> contexts;
  void Reset();
};

LibFtdi& Fake();

}  // namespace quarnel::ftdi::fake
