// Elsewhere than on Windows the program calls the library's C++ classes directly.
#include "converter/DataLibrary.h"

namespace quarnel::converter {

std::unique_ptr<DataLibrary> ProgramLibrary() { return DirectLibrary(); }

}  // namespace quarnel::converter
