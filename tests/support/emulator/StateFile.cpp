#include "tests/support/emulator/StateFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace emu {
namespace {

// "192.168.0.2" as the controller keeps it: "c0a80002".
bool DottedToHex(std::string_view dotted, std::string& hex)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    std::string text(dotted);
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 ||
        c > 255 || d > 255) {
        return false;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02x%02x%02x%02x", a, b, c, d);
    hex = buffer;
    return true;
}

std::optional<long> HexByte(std::string_view text)
{
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    long value = 0;
    for (char ch : text) {
        int digit = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                  : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

bool LoadState(std::string_view text, LineEmulator& line, std::string& error)
{
    ControllerModel* current = nullptr;
    bool nameGiven = false;
    int lineNumber = 0;
    std::istringstream input{std::string(text)};
    std::string raw;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (std::getline(input, raw)) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        if (raw.empty() || raw.front() == '#' || raw.front() == ';') {
            continue;
        }
        const size_t eq = raw.find('=');
        if (eq == std::string::npos) {
            return fail("no \"=\"");
        }
        const std::string key = raw.substr(0, eq);
        const std::string value = raw.substr(eq + 1);
        size_t digitsAt = 0;
        while (digitsAt < key.size() && key[digitsAt] >= 'A' && key[digitsAt] <= 'Z') {
            ++digitsAt;
        }
        const std::string name = key.substr(0, digitsAt);
        std::optional<long> index;
        if (digitsAt < key.size()) {
            index = ParseDecimal(key.substr(digitsAt));
            if (!index || *index < 0) {
                return fail("bad key " + key);
            }
        }
        const std::optional<long> number = ParseDecimal(value);

        if (name == "NODE" && !index) {
            if (!number || *number < 1) {
                return fail("bad node " + value);
            }
            current = &line.AddController(static_cast<int>(*number));
            nameGiven = false;
            continue;
        }
        if (name == "DBVER") {
            continue;
        }
        if (!current) {
            current = &line.AddController(1);
        }
        auto needNumber = [&]() { return number.has_value(); };
        auto indexIn = [&](long lo, long hi) { return index && *index >= lo && *index <= hi; };

        if (name == "TYPE" && !index) {
            current->SetType(value);
            if (!nameGiven) {
                current->SetControllerName(DefaultControllerName(value));
            }
        } else if (name == "CONT" && !index) {
            current->SetControllerName(value);
            nameGiven = true;
        } else if (name == "ROBOT" && !index) {
            current->SetRobot(value);
        } else if (name == "IF" && !index) {
            current->SetInterface(value);
        } else if (name == "VER" && !index) {
            current->SetVersion(value);
        } else if (name == "VER" && index && *index == 2) {
            current->SetVersion2(value);
        } else if (name == "USER" && !index) {
            current->SetComment(2, value);
        } else if (name == "COM" && indexIn(1, ControllerModel::kCommentCount)) {
            current->SetComment(static_cast<int>(*index), value);
        } else if ((name == "IPADDR" || name == "MASK" || name == "GATEWAY") && !index) {
            std::string hex;
            if (!value.empty() && !DottedToHex(value, hex)) {
                return fail("bad address " + value);
            }
            current->SetComment(name == "IPADDR" ? 9 : name == "MASK" ? 8 : 7, hex);
        } else if (name == "PNT" && indexIn(1, ControllerModel::kPointCount)) {
            CommandLine write;
            write.keyword = Keyword::PNT;
            write.first = index;
            write.node = current->Node();
            write.value = value;
            if (current->Execute(write, ExecContext{}).rfind("OK.", 0) != 0) {
                return fail("bad point " + value);
            }
        } else if (name == "K" && indexIn(1, ControllerModel::kParameterCount) && needNumber()) {
            current->SetParameter(static_cast<int>(*index), static_cast<int32_t>(*number));
        } else if (name == "H" && indexIn(0, ControllerModel::kHParameterCount - 1) && needNumber()) {
            current->SetHParameter(static_cast<int>(*index), static_cast<int32_t>(*number));
        } else if (name == "D" && indexIn(0, ControllerModel::kDValueCount - 1) && needNumber()) {
            current->SetDValue(static_cast<int>(*index), static_cast<int32_t>(*number));
        } else if (name == "IN" && !index && needNumber()) {
            current->SetInputs(static_cast<uint16_t>(*number));
        } else if (name == "OUT" && !index && needNumber()) {
            current->SetOutputs(static_cast<uint16_t>(*number));
        } else if (name == "OPT" && !index && needNumber()) {
            current->SetOptionStatus(static_cast<uint32_t>(*number));
        } else if (name == "OPTB" && indexIn(0, ControllerModel::kOptionBoardCount - 1) && needNumber()) {
            current->SetOptionBoard(static_cast<int>(*index), static_cast<int32_t>(*number));
        } else if (name == "WIN" && indexIn(0, ControllerModel::kWideWordCount - 1) && needNumber()) {
            current->SetWideInput(static_cast<int>(*index), static_cast<uint16_t>(*number));
        } else if (name == "WOUT" && indexIn(0, ControllerModel::kWideWordCount - 1) && needNumber()) {
            current->SetWideOutput(static_cast<int>(*index), static_cast<uint16_t>(*number));
        } else if ((name == "ALM" || name == "WARN") && !index) {
            std::istringstream codes(value);
            std::string code;
            while (std::getline(codes, code, ',')) {
                std::optional<long> byte = HexByte(code);
                if (!byte) {
                    return fail("bad code " + code);
                }
                name == "ALM" ? current->RaiseAlarm(static_cast<uint8_t>(*byte))
                              : current->RaiseWarning(static_cast<uint8_t>(*byte));
            }
        } else if (name == "MSG" && !index) {
            std::optional<long> byte = HexByte(value);
            if (!byte) {
                return fail("bad code " + value);
            }
            current->SetMessage(static_cast<uint8_t>(*byte));
        } else {
            return fail("unknown or malformed " + key + "=" + value);
        }
    }
    return true;
}

bool LoadStateFile(const std::string& path, LineEmulator& line, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return LoadState(text.str(), line, error);
}

}  // namespace emu
