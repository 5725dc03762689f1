// dmxsend: sends frames and commands to the DMX output server on this machine.
//
//   dmxsend frame 1=255 10-20=128        one frame with these levels (others 0)
//   dmxsend test 5                       light channel 5 for testing; "test 0" ends it
//   dmxsend shutdown                     stop the server
//   dmxsend stream --rate 40 --seconds 10 [--chase] [levels...]
#include "platform/base/Pause.h"
#include "platform/base/ProgramMain.h"
#include "tools/dmxsend/Datagrams.h"
#include "tools/dmxsend/UdpSender.h"

#include <chrono>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

using namespace quarnel::dmxsend;

namespace {

bool BuildLevels(const std::vector<std::string>& settings, Levels& levels) {
  levels.fill(0);
  std::string error;
  for (const std::string& s : settings) {
    if (!ApplyLevel(s, levels, error)) {
      std::cerr << "dmxsend: " << error << "\n";
      return false;
    }
  }
  return true;
}

int Stream(UdpSender& sender, const Levels& base, double rate, double seconds, bool chase) {
  using Clock = std::chrono::steady_clock;
  const auto period =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
  const auto count = static_cast<long>(std::llround(rate * seconds));
  std::cout << "Streaming " << count << " frames at " << rate << " Hz to " << sender.Address()
            << ":" << kDataPort << (chase ? ", one channel at full running along" : "") << "\n";
  const auto start = Clock::now();
  long failed = 0;
  for (long i = 0; i < count; ++i) {
    quarnel::platform::PauseUntil(start + period * i);
    Levels levels = base;
    if (chase) levels[static_cast<size_t>(i % 512)] = 255;
    if (!sender.Send(kDataPort, FrameDatagram(levels))) ++failed;
  }
  std::cout << "Sent " << count - failed << " frames";
  if (failed > 0) std::cout << "; " << failed << " could not be sent (" << sender.Error() << ")";
  std::cout << "\n";
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Sends frames and commands to the DMX output server (QuarnelOpenDMX)."};
  app.require_subcommand(1);
  std::string host;
  app.add_option("--host", host,
                 "IPv4 address of the server (default: this machine's primary address)");

  std::vector<std::string> frame_levels;
  const std::string data_port = "UDP " + std::to_string(kDataPort);
  CLI::App* frame =
      app.add_subcommand("frame", "send one " + std::to_string(quarnel::dmx::kFrameDatagramSize) +
                                      "-byte frame to " + data_port);
  frame->add_option("levels", frame_levels,
                    "CHANNEL=LEVEL, FIRST-LAST=LEVEL or all=LEVEL; others 0");

  int32_t channel = 0;
  CLI::App* test =
      app.add_subcommand("test", "send a channel test to UDP " + std::to_string(kDiagnosticsPort) +
                                     " (0 ends the test)");
  test->add_option("channel", channel, "the channel to light at full")
      ->required()
      ->check(CLI::Range(0, 32767));

  CLI::App* shutdown = app.add_subcommand(
      "shutdown", "send the " + std::to_string(quarnel::dmx::kShutdownDatagramSize) +
                      "-byte shut-down datagram to " + data_port);

  std::vector<std::string> stream_levels;
  double rate = 40, seconds = 10;
  bool chase = false;
  CLI::App* stream = app.add_subcommand("stream", "send frames at a steady rate for a while");
  stream->add_option("--rate", rate, "frames a second")->check(CLI::Range(0.1, 1000.0));
  stream->add_option("--seconds", seconds, "for how long")->check(CLI::Range(0.0, 3600.0));
  stream->add_flag("--chase", chase, "run one channel at full along all 512");
  stream->add_option("levels", stream_levels, "levels as for frame");

  CLI11_PARSE(app, argc, argv);

  return quarnel::RunProgram(
      "dmxsend", "",
      [&] {
        if (host.empty()) {
          std::string error;
          host = PrimaryAddress(error);
          if (host.empty()) {
            std::cerr << "dmxsend: " << error << "; give the server's address with --host\n";
            return 2;
          }
        }
        UdpSender sender(host);
        if (!sender.Ok()) {
          std::cerr << "dmxsend: " << sender.Error() << "\n";
          return 2;
        }

        Levels levels;
        bool sent = false;
        if (*frame) {
          if (!BuildLevels(frame_levels, levels)) return 2;
          sent = sender.Send(kDataPort, FrameDatagram(levels));
          if (sent) std::cout << "Sent one frame to " << host << ":" << kDataPort << "\n";
        } else if (*test) {
          sent = sender.Send(kDiagnosticsPort, TestDatagram(channel));
          if (sent) {
            std::cout << (channel == 0 ? std::string("Ended the channel test")
                                       : "Testing channel " + std::to_string(channel))
                      << " (" << host << ":" << kDiagnosticsPort << ")\n";
          }
        } else if (*shutdown) {
          sent = sender.Send(kDataPort, ShutdownDatagram());
          if (sent) std::cout << "Asked the server at " << host << " to shut down\n";
        } else if (*stream) {
          if (!BuildLevels(stream_levels, levels)) return 2;
          return Stream(sender, levels, rate, seconds, chase);
        }
        if (!sent) {
          std::cerr << "dmxsend: " << sender.Error() << "\n";
          return 1;
        }
        return 0;
      },
      std::cerr);
}
