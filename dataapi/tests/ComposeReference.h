// The compiler as a plain one-at-a-time walk, for comparison with the library's bulk
// compiler: generated events are added with Events.Add one by one, the working table is
// a sorted recordset, and generated events are removed with Events.Remove one by one.
// Slow on purpose (quadratic in places); tests use it on small documents only.
#pragma once

#include "dataapi/Channels.h"
#include "dataapi/CompiledRecord.h"
#include "dataapi/Events.h"
#include "dataapi/compile/Composer.h"

#include <filesystem>
#include <vector>

namespace quarnel::dataapi::testing {

void ReferenceCompose(Events& events, const Channels& channels, int32_t length,
                      std::vector<CompiledRecord>& compiled,
                      const std::filesystem::path& composed_path, compile::ComposeHost& host);

}  // namespace quarnel::dataapi::testing
