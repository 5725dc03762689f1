// A small client of the WebDriver protocol, enough to drive Chromium through chromedriver
// on this machine: a session, opening a page, finding and clicking elements, reading
// text, and a screenshot. chromedriver is started as a child process on a loopback port
// and stopped with the client. Every call is bounded in time.
#pragma once

#include "dmxserver/harness/ServerProcess.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace quarnel::webdiag::testing {

// Where Debian puts the browser and its driver; empty when not installed.
std::string FindChromium();
std::string FindChromeDriver();

class WebDriver {
 public:
  // Starts `driver` on `port` with its log at `log_prefix`.err and waits until it is
  // ready; nullptr (and `error`) when it does not come up.
  static std::unique_ptr<WebDriver> Start(const std::string& driver, uint16_t port,
                                          const std::string& log_prefix, std::string* error);
  ~WebDriver();
  WebDriver(const WebDriver&) = delete;
  WebDriver& operator=(const WebDriver&) = delete;

  // A browser session with these capabilities ("alwaysMatch").
  bool NewSession(const nlohmann::json& capabilities, std::string* error);

  bool Navigate(const std::string& url);
  std::optional<std::string> FindElement(const std::string& css);
  bool Click(const std::string& element);
  std::optional<std::string> Text(const std::string& element);
  std::optional<std::string> Property(const std::string& element, const std::string& name);
  std::optional<std::string> CurrentUrl();
  // Runs `script` in the page and returns its result.
  std::optional<nlohmann::json> Execute(const std::string& script);
  // The visible page as PNG bytes.
  std::optional<std::string> Screenshot();

  // The text of the element `css` once `match` holds for it, within `timeout`.
  std::optional<std::string> WaitForText(const std::string& css,
                                         const std::function<bool(const std::string&)>& match,
                                         std::chrono::milliseconds timeout);

 private:
  WebDriver(uint16_t port, std::unique_ptr<dmx::harness::ServerProcess> process);
  // One command: the HTTP status and the parsed body ("value" holds the result).
  std::optional<nlohmann::json> Command(const std::string& method, const std::string& path,
                                        const nlohmann::json& body, int* status = nullptr);
  std::optional<nlohmann::json> SessionCommand(const std::string& method, const std::string& path,
                                               const nlohmann::json& body = nullptr);

  uint16_t port_;
  std::unique_ptr<dmx::harness::ServerProcess> process_;
  std::string session_;
};

// Base64 decoding, for screenshots.
std::string DecodeBase64(const std::string& text);

}  // namespace quarnel::webdiag::testing
