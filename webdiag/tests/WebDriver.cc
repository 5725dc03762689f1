#include "webdiag/tests/WebDriver.h"

#include <cctype>
#include <filesystem>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::webdiag::testing {

namespace {

using namespace std::chrono_literals;
using nlohmann::json;

// The key WebDriver gives an element reference under.
constexpr char kElementKey[] = "element-6066-11e4-a52e-4f735466cecf";

std::string FirstExisting(std::initializer_list<const char*> paths) {
  for (const char* path : paths) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return path;
  }
  return "";
}

struct HttpResult {
  int status = 0;
  std::string body;
};

// Decodes a chunked body.
std::string Unchunk(const std::string& body) {
  std::string out;
  size_t at = 0;
  while (at < body.size()) {
    const size_t line_end = body.find("\r\n", at);
    if (line_end == std::string::npos) break;
    const size_t size = std::stoul(body.substr(at, line_end - at), nullptr, 16);
    if (size == 0) break;
    out += body.substr(line_end + 2, size);
    at = line_end + 2 + size + 2;
  }
  return out;
}

// True when `response` holds a whole answer whose body has a known length.
bool Complete(const std::string& response) {
  const size_t head_end = response.find("\r\n\r\n");
  if (head_end == std::string::npos) return false;
  std::string head = response.substr(0, head_end);
  for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t at = head.find("content-length:");
  if (at == std::string::npos) return false;
  const size_t length = std::stoul(head.substr(at + 15));
  return response.size() >= head_end + 4 + length;
}

// One HTTP exchange with chromedriver on loopback, the connection closed after it.
std::optional<HttpResult> Http(uint16_t port, const std::string& method, const std::string& path,
                               const std::string& body, std::chrono::milliseconds timeout) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  std::string request = method + " " + path +
                        " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                        "\r\nConnection: close\r\n";
  if (method == "POST") {
    request +=
        "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  }
  request += "\r\n" + (method == "POST" ? body : "");
  (void)!::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string response;
  char buffer[65536];
  const auto end = std::chrono::steady_clock::now() + timeout;
  // Until the body is complete (by its length) or the connection closes.
  while (std::chrono::steady_clock::now() < end && !Complete(response)) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 200) != 1) continue;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    response.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  const size_t head_end = response.find("\r\n\r\n");
  if (response.rfind("HTTP/1.1 ", 0) != 0 || head_end == std::string::npos) return std::nullopt;
  HttpResult result;
  result.status = std::stoi(response.substr(9, 3));
  const std::string head = response.substr(0, head_end);
  result.body = response.substr(head_end + 4);
  if (head.find("chunked") != std::string::npos) result.body = Unchunk(result.body);
  return result;
}

}  // namespace

std::string FindChromium() {
  return FirstExisting({"/usr/bin/chromium", "/usr/lib/chromium/chromium"});
}

std::string FindChromeDriver() {
  return FirstExisting({"/usr/bin/chromedriver", "/usr/lib/chromium/chromedriver"});
}

WebDriver::WebDriver(uint16_t port, std::unique_ptr<dmx::harness::ServerProcess> process)
    : port_(port), process_(std::move(process)) {}

std::unique_ptr<WebDriver> WebDriver::Start(const std::string& driver, uint16_t port,
                                            const std::string& log_prefix, std::string* error) {
  dmx::harness::ProcessOptions options;
  options.program = driver;
  options.args = {"--port=" + std::to_string(port), "--allowed-ips=127.0.0.1",
                  "--log-path=" + log_prefix + ".log"};
  options.output_prefix = log_prefix;
  auto process = std::make_unique<dmx::harness::ServerProcess>(std::move(options));
  if (!process->Started()) {
    *error = "chromedriver did not start";
    return nullptr;
  }
  std::unique_ptr<WebDriver> client(new WebDriver(port, std::move(process)));
  const auto end = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < end) {
    if (auto status = client->Command("GET", "/status", nullptr)) {
      if ((*status)["value"].value("ready", false)) return client;
    }
    if (!client->process_->Running()) break;
    std::this_thread::sleep_for(100ms);
  }
  *error = "chromedriver is not ready: " + client->process_->Stdout() + client->process_->Stderr();
  return nullptr;
}

WebDriver::~WebDriver() {
  if (!session_.empty()) Command("DELETE", "/session/" + session_, nullptr);
  process_->Stop(3000ms);
}

std::optional<json> WebDriver::Command(const std::string& method, const std::string& path,
                                       const json& body, int* status) {
  const std::optional<HttpResult> result =
      Http(port_, method, path, body.is_null() ? "{}" : body.dump(), 60s);
  if (!result) return std::nullopt;
  if (status) *status = result->status;
  json parsed = json::parse(result->body, nullptr, false);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

std::optional<json> WebDriver::SessionCommand(const std::string& method, const std::string& path,
                                              const json& body) {
  int status = 0;
  auto reply = Command(method, "/session/" + session_ + path, body, &status);
  if (!reply || status != 200) return std::nullopt;
  return (*reply)["value"];
}

bool WebDriver::NewSession(const json& capabilities, std::string* error) {
  int status = 0;
  auto reply =
      Command("POST", "/session", {{"capabilities", {{"alwaysMatch", capabilities}}}}, &status);
  if (!reply || status != 200) {
    *error = reply ? reply->dump() : "no answer from chromedriver";
    return false;
  }
  session_ = (*reply)["value"].value("sessionId", "");
  return !session_.empty();
}

bool WebDriver::Navigate(const std::string& url) {
  return SessionCommand("POST", "/url", {{"url", url}}).has_value();
}

std::optional<std::string> WebDriver::FindElement(const std::string& css) {
  auto value = SessionCommand("POST", "/element", {{"using", "css selector"}, {"value", css}});
  if (!value || !value->contains(kElementKey)) return std::nullopt;
  return (*value)[kElementKey].get<std::string>();
}

bool WebDriver::Click(const std::string& element) {
  return SessionCommand("POST", "/element/" + element + "/click", json::object()).has_value();
}

std::optional<std::string> WebDriver::Text(const std::string& element) {
  auto value = SessionCommand("GET", "/element/" + element + "/text");
  if (!value || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

std::optional<std::string> WebDriver::Property(const std::string& element,
                                               const std::string& name) {
  auto value = SessionCommand("GET", "/element/" + element + "/property/" + name);
  if (!value || value->is_null()) return std::nullopt;
  return value->is_string() ? value->get<std::string>() : value->dump();
}

std::optional<std::string> WebDriver::CurrentUrl() {
  auto value = SessionCommand("GET", "/url");
  if (!value || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

std::optional<json> WebDriver::Execute(const std::string& script) {
  return SessionCommand("POST", "/execute/sync", {{"script", script}, {"args", json::array()}});
}

std::optional<std::string> WebDriver::Screenshot() {
  auto value = SessionCommand("GET", "/screenshot");
  if (!value || !value->is_string()) return std::nullopt;
  return DecodeBase64(value->get<std::string>());
}

std::optional<std::string> WebDriver::WaitForText(
    const std::string& css, const std::function<bool(const std::string&)>& match,
    std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (auto element = FindElement(css)) {
      if (auto text = Text(*element); text && match(*text)) return text;
    }
    std::this_thread::sleep_for(20ms);
  }
  return std::nullopt;
}

std::string DecodeBase64(const std::string& text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const int v = value(c);
    if (v < 0) continue;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xff));
    }
  }
  return out;
}

}  // namespace quarnel::webdiag::testing
