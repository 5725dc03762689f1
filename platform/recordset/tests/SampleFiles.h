// Where the sample tables of the tests are, and small helpers to load them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::testing {

inline std::filesystem::path SampleDir() { return QUARNEL_RECORDSET_TEST_DATA; }

// Every saved table among the samples, sorted by path.
std::vector<std::filesystem::path> AllSampleTables();

std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace quarnel::testing
