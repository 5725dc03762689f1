// The names of what a conversion writes beside its source: NAME_DMX.dls and NAME_DMX.txt.
//
// Only the final extension of the source's file name counts, in any case ("Show.DLS" gives
// "Show_DMX.dls"); folders in the path are never renamed. A source whose name does not end
// in ".dls" has no DMX name, so a conversion can never write over its source.
#pragma once

#include <filesystem>
#include <optional>

namespace quarnel::converter {

// NAME_DMX.dls beside NAME.dls; nullopt when the name does not end in ".dls".
std::optional<std::filesystem::path> DmxSequenceName(const std::filesystem::path& source);

// The report file beside the new sequence: its name with ".txt" for ".dls".
std::filesystem::path ReportName(const std::filesystem::path& dmx_sequence);

}  // namespace quarnel::converter
