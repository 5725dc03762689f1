// Real FTDI devices through the vendor's D2XX driver library (D2xxLibrary_win.h): the
// back end for real interfaces on Windows. Devices are listed and opened by the
// library's own index; every failing call comes back with its name and status in words.
// Windows builds only.
#pragma once

#include "platform/ftdi/D2xxLibrary_win.h"
#include "platform/ftdi/FtdiBackend.h"
#include "platform/ftdi/HardwareBackend.h"

#include <memory>
#include <string>

namespace quarnel::ftdi {

class D2xxLibraryBackend : public FtdiBackend {
 public:
  explicit D2xxLibraryBackend(std::shared_ptr<const D2xxLibrary> library)
      : library_(std::move(library)) {}

  FtdiList List() override;
  FtdiOpen Open(const FtdiDeviceInfo& device, uint32_t index) override;

 private:
  std::shared_ptr<const D2xxLibrary> library_;  // shared with the open ports
};

// The back end over the library in `file` (a name or a path), or why it cannot be used.
HardwareBackend MakeD2xxLibraryBackend(const std::wstring& file);

}  // namespace quarnel::ftdi
