#include "sim/SimOptions.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

namespace vandrel::sim {
namespace {

template <typename Number> bool parseNumber(const std::string& text, Number& out) {
    const char* end = text.data() + text.size();
    int base = 10;
    const char* begin = text.data();
    if constexpr (std::is_integral_v<Number>) {
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            begin += 2;
            base = 16;
        }
        const auto [ptr, ec] = std::from_chars(begin, end, out, base);
        return !text.empty() && ec == std::errc() && ptr == end;
    } else {
        const auto [ptr, ec] = std::from_chars(begin, end, out);
        return !text.empty() && ec == std::errc() && ptr == end && out >= 0;
    }
}

// The request kind a fault names; acknowledgements are not requests and the converter never
// answers them.
std::optional<RequestKind> requestKindOf(std::string_view name) {
    const auto kind = requestKindFromName(name);
    if (!kind || *kind == RequestKind::LoaderAck || *kind == RequestKind::CodeAck ||
        *kind == RequestKind::Unknown) {
        return std::nullopt;
    }
    return kind;
}

// KIND:N:REST, N counting from 1.
struct CountedFault {
    RequestKind kind;
    unsigned nth = 0;
    std::string rest;
};

std::optional<CountedFault> parseCountedFault(const std::string& text) {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) {
        return std::nullopt;
    }
    const auto kind = requestKindOf(std::string_view(text).substr(0, first));
    CountedFault fault{};
    if (!kind || !parseNumber(text.substr(first + 1, second - first - 1), fault.nth) ||
        fault.nth == 0) {
        return std::nullopt;
    }
    fault.kind = *kind;
    fault.rest = text.substr(second + 1);
    return fault;
}

// KIND:STATUS[:TIMES]
bool parseRefusal(const std::string& text, Refusal& out) {
    const auto first = text.find(':');
    if (first == std::string::npos) {
        return false;
    }
    const auto kind = requestKindOf(std::string_view(text).substr(0, first));
    const auto second = text.find(':', first + 1);
    const std::string statusText = text.substr(first + 1, second - first - 1);
    unsigned status = 0;
    if (!kind || !parseNumber(statusText, status) || status > 0xFF) {
        return false;
    }
    out = {*kind, static_cast<std::uint8_t>(status), 0};
    return second == std::string::npos || parseNumber(text.substr(second + 1), out.times);
}

// KIND:N
bool parseLateAnswer(const std::string& text, LateAnswer& out) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const auto kind = requestKindOf(std::string_view(text).substr(0, colon));
    if (!kind) {
        return false;
    }
    out.kind = *kind;
    return parseNumber(text.substr(colon + 1), out.nth) && out.nth > 0;
}

// KIND:N:HOW
bool parseRestartFault(const std::string& text, RestartFault& out) {
    const auto fault = parseCountedFault(text);
    if (!fault) {
        return false;
    }
    if (fault->rest == "code") {
        out.how = RestartHow::Code;
    } else if (fault->rest == "loader") {
        out.how = RestartHow::Loader;
    } else if (fault->rest == "firmware") {
        out.how = RestartHow::Firmware;
    } else {
        return false;
    }
    out.kind = fault->kind;
    out.nth = fault->nth;
    return true;
}

// KIND:N:silent or KIND:N:STATUS
bool parseLastingFailure(const std::string& text, LastingFailure& out) {
    const auto fault = parseCountedFault(text);
    if (!fault) {
        return false;
    }
    unsigned status = 0;
    if (fault->rest == "silent") {
        out.silent = true;
    } else if (parseNumber(fault->rest, status) && status <= 0xFF) {
        out.silent = false;
        out.status = static_cast<std::uint8_t>(status);
    } else {
        return false;
    }
    out.kind = fault->kind;
    out.nth = fault->nth;
    return true;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

std::string simUsage() {
    return R"(Usage: vandrel-sim [options]

Serves a stand-in converter on a pseudo-terminal. Prints the device path on
standard output (again after each replug) and runs until interrupted.

Device:
  --link PATH             keep a symbolic link PATH to the device
  --password TEXT         access password (default: none)
  --firmware-version TEXT firmware version text
  --loader-version TEXT   loader version text
  --partition N           active FLASH partition
  --flash-file PATH       FLASH image taken from a file
  --flash-size BYTES      generated FLASH image of this size (default 16384)
  --firmware-missing      the loader waits for firmware after every restart
  --echo-address          configuration answers name their packet's address
                          (field 0x46), as FLASH blocks do
  --monitor-period MS     interval of the monitor text while monitoring runs
  --boot                  send the restart events at start, as after power-on
  --save-config PATH      write the 640 configuration bytes (as on the line) to
                          PATH at exit
  --save-flash PATH       write the FLASH image to PATH at exit

Faults:
  --baud N                emulate the line rate N (11 bits a byte, 8N2)
  --drop N                lose every Nth frame in each direction
  --drop-in N             lose every Nth frame from the utility
  --drop-out N            lose every Nth frame to the utility
  --corrupt N             wrong checksum on every Nth frame to the utility
  --delay MS              answer each request MS milliseconds late
  --garbage N             send N noise bytes before every frame
  --refuse KIND:STATUS[:TIMES]
                          answer KIND negatively with STATUS (e.g. 0x42),
                          TIMES times or always; may be repeated. KIND is one of
                          reset sysinfo config-read config-write flash-start
                          flash-chunk flash-stop flash-cancel flash-read-start
                          flash-read monitor-on monitor-off monitor-command
                          password-change
  --late KIND:N           answer the Nth KIND request (counted from 1) only
                          when the next KIND request arrives, just before
                          answering that one, as a converter that answers
                          just after the utility's time-out; may be repeated
  --restart-at KIND:N:HOW restart instead of answering the Nth KIND request
                          (counted from 1); may be repeated. HOW is one of
                          code      only "Restart code": the application
                                    restarts directly
                          loader    "Restart loader", then "Restart code"
                          firmware  "Restart loader" with status 0x9F: the
                                    loader waits for firmware and takes a
                                    FLASH loading
  --fail-from KIND:N:WHAT from the Nth KIND request on (counted from 1), leave
                          every KIND request unanswered (WHAT = silent) or
                          answer it negatively with status WHAT (e.g. 0x42);
                          may be repeated
  --unplug-after S        unplug the device after S seconds ...
  --replug-after S        ... and plug it in again S seconds later (default 1)

  --help                  show this text
)";
}

std::optional<SimOptions> parseSimOptions(const std::vector<std::string>& args,
                                          std::string& error) {
    SimOptions o;
    std::optional<std::size_t> flashSize;
    std::string flashFile;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    error = name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            return true;
        };
        auto number = [&](auto& out) -> bool {
            if (!takeValue()) {
                return false;
            }
            if (!parseNumber(value, out)) {
                error = "bad value for " + name + ": " + value;
                return false;
            }
            return true;
        };
        unsigned ms = 0;
        unsigned every = 0;
        bool ok = true;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--link") {
            ok = takeValue();
            o.linkPath = value;
        } else if (name == "--password") {
            ok = takeValue();
            if (ok && value.size() > kPasswordSize) {
                error = "the password has at most 32 characters";
                ok = false;
            }
            ConfigStore store(o.model.config);
            store.setPassword(value);
            o.model.config = store.image();
        } else if (name == "--firmware-version") {
            ok = takeValue();
            o.model.firmwareVersion = value;
        } else if (name == "--loader-version") {
            ok = takeValue();
            o.model.loaderVersion = value;
        } else if (name == "--partition") {
            unsigned p = 0;
            ok = number(p) && p <= 0xFF;
            o.model.partition = static_cast<std::uint8_t>(p);
        } else if (name == "--flash-file") {
            ok = takeValue();
            flashFile = value;
        } else if (name == "--flash-size") {
            std::size_t size = 0;
            ok = number(size) && size <= (1u << 24);
            flashSize = size;
        } else if (name == "--firmware-missing") {
            o.model.firmwareMissing = true;
        } else if (name == "--echo-address") {
            o.model.echoConfigAddress = true;
        } else if (name == "--monitor-period") {
            ok = number(ms) && ms > 0;
            o.model.monitorPeriod = std::chrono::milliseconds(ms);
        } else if (name == "--boot") {
            o.boot = true;
        } else if (name == "--save-config") {
            ok = takeValue();
            o.saveConfigPath = value;
        } else if (name == "--save-flash") {
            ok = takeValue();
            o.saveFlashPath = value;
        } else if (name == "--baud") {
            ok = number(o.faults.line.baudRate);
        } else if (name == "--drop") {
            ok = number(every);
            o.faults.line.dropInEvery = o.faults.line.dropOutEvery = every;
        } else if (name == "--drop-in") {
            ok = number(o.faults.line.dropInEvery);
        } else if (name == "--drop-out") {
            ok = number(o.faults.line.dropOutEvery);
        } else if (name == "--corrupt") {
            ok = number(o.faults.line.corruptOutEvery);
        } else if (name == "--delay") {
            ok = number(ms);
            o.faults.line.answerDelay = std::chrono::milliseconds(ms);
        } else if (name == "--garbage") {
            ok = number(o.faults.line.garbageBytes);
        } else if (name == "--refuse") {
            Refusal refusal;
            ok = takeValue() && parseRefusal(value, refusal);
            if (ok) {
                o.faults.refusals.push_back(refusal);
            } else if (error.empty()) {
                error = "bad value for --refuse: " + value;
            }
        } else if (name == "--late") {
            LateAnswer late;
            ok = takeValue() && parseLateAnswer(value, late);
            if (ok) {
                o.faults.lateAnswers.push_back(late);
            }
        } else if (name == "--restart-at") {
            RestartFault fault;
            ok = takeValue() && parseRestartFault(value, fault);
            if (ok) {
                o.faults.restarts.push_back(fault);
            }
        } else if (name == "--fail-from") {
            LastingFailure failure;
            ok = takeValue() && parseLastingFailure(value, failure);
            if (ok) {
                o.faults.failures.push_back(failure);
            }
        } else if (name == "--unplug-after") {
            ok = number(o.unplugAfter);
        } else if (name == "--replug-after") {
            ok = number(o.replugAfter);
        } else {
            error = "unknown option: " + args[i];
            return std::nullopt;
        }
        if (!ok) {
            if (error.empty()) {
                error = "bad value for " + name + ": " + value;
            }
            return std::nullopt;
        }
    }
    if (!flashFile.empty()) {
        if (!readFile(flashFile, o.model.flash)) {
            error = "cannot read " + flashFile;
            return std::nullopt;
        }
    } else {
        o.model.flash =
            FlashStore::makeFirmwareImage(flashSize.value_or(16 * 1024), o.model.firmwareVersion);
    }
    return o;
}

} // namespace vandrel::sim
