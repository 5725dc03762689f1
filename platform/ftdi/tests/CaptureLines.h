// Reads a capture file back for tests: each line without its time stamp, and the times.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::ftdi {

struct CapturedCall {
  int64_t ns = 0;
  std::string text;  // "<serial> <CALL> <args>"
};

inline std::vector<CapturedCall> ReadCapture(const std::string& path) {
  std::vector<CapturedCall> calls;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.find(' ');
    calls.push_back({std::stoll(line.substr(0, space)), line.substr(space + 1)});
  }
  return calls;
}

inline std::vector<std::string> CaptureTexts(const std::string& path) {
  std::vector<std::string> texts;
  for (const CapturedCall& c : ReadCapture(path)) texts.push_back(c.text);
  return texts;
}

// A fresh, empty file name in the test's temporary folder.
inline std::string TempCapturePath(const std::string& name) {
  std::string path = ::testing::TempDir() + "/" + name + ".capture";
  std::remove(path.c_str());
  return path;
}

}  // namespace quarnel::ftdi
