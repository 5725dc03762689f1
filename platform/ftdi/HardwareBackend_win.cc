#include "platform/ftdi/D2xxLibraryBackend_win.h"
#include "platform/ftdi/HardwareBackend.h"

namespace quarnel::ftdi {

HardwareBackend MakeHardwareBackend() { return MakeD2xxLibraryBackend(D2xxLibrary::kFileName); }

}  // namespace quarnel::ftdi
