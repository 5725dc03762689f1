#include "platform/ftdi/HardwareBackend.h"
#include "platform/ftdi/LibFtdiBackend.h"

namespace quarnel::ftdi {

HardwareBackend MakeHardwareBackend() { return {std::make_unique<LibFtdiBackend>(), ""}; }

}  // namespace quarnel::ftdi
