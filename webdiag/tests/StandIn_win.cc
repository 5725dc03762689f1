// A stand-in for a program that the web server starts, for the program tests on
// Windows: it writes its process id and then its arguments, one a line, to
// <its name without .exe>.started beside itself, and sleeps for 30 seconds.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <windows.h>

int main(int argc, char** argv) {
  wchar_t own[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameW(nullptr, own, sizeof own / sizeof own[0]);
  const std::filesystem::path program(std::wstring(own, length));
  const std::filesystem::path noted =
      program.parent_path() / (program.stem().wstring() + L".started");
  const std::filesystem::path writing = noted.wstring() + L".tmp";
  {
    std::ofstream out(writing, std::ios::binary);
    out << GetCurrentProcessId() << "\n";
    for (int i = 1; i < argc; ++i) out << argv[i] << "\n";
  }
  std::error_code ec;
  std::filesystem::rename(writing, noted, ec);
  std::this_thread::sleep_for(std::chrono::seconds(30));
  return 0;
}
