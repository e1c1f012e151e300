#include "tests/support/emulator/ControllerModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace emu {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kMaxSamplesPerPoll = 20;
constexpr int32_t kDefaultTraceIntervalMs = 10;
constexpr int32_t kMaxTraceIntervalMs = 1000;
constexpr int32_t kJogUnitsPerPercentPerSecond = 10;

std::string Hex2(unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02X", value & 0xFFu);
    return buffer;
}

int MotionIndex(Motion motion) { return static_cast<int>(motion); }

bool IsJog(Motion motion) { return motion == Motion::JogPlus || motion == Motion::JogMinus; }

// A data item of the controller: which indexes it has and how it is read and written.
struct Item {
    bool indexed = true;
    long lo = 0;
    long hi = 0;
    std::function<std::string(long)> get;                                 // null: write only
    std::function<std::optional<int>(long, const std::string&)> set;      // null: read only
};

std::optional<int> CheckedNumber(const std::string& text, long lo, long hi, long& out)
{
    std::optional<long> value = ParseDecimal(text);
    if (!value || *value < lo || *value > hi) {
        return ng::kBadValue;
    }
    out = *value;
    return std::nullopt;
}

// Parses "M1,P1000,S100,..." into a point row; fields not given are 0.
std::optional<PointFields> ParsePointFields(std::string_view text)
{
    PointFields fields{};
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view token = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        size_t keyEnd = 0;
        while (keyEnd < token.size() && token[keyEnd] >= 'A' && token[keyEnd] <= 'Z') {
            ++keyEnd;
        }
        auto key = std::find(kPointFieldKeys.begin(), kPointFieldKeys.end(), token.substr(0, keyEnd));
        std::optional<long> value = ParseDecimal(token.substr(keyEnd));
        if (key == kPointFieldKeys.end() || !value) {
            return std::nullopt;
        }
        fields[static_cast<size_t>(key - kPointFieldKeys.begin())] = static_cast<int32_t>(*value);
    }
    return fields;
}

}  // namespace

std::string DefaultControllerName(std::string_view type)
{
    if (type.substr(0, 2) == "LB") {
        return "N3";
    }
    if (type.substr(0, 2) == "LA") {
        return "N1";
    }
    if (type.substr(0, 2) == "LC") {
        return "N4";
    }
    if (!type.empty() && (type.front() == 'Q' || type.front() == 'V')) {
        return "N2";
    }
    return std::string(type);
}

ControllerModel::ControllerModel(int node, std::string type)
    : ControllerModel(node, std::move(type), std::make_shared<std::recursive_mutex>())
{
}

ControllerModel::ControllerModel(int node, std::string type, std::shared_ptr<std::recursive_mutex> lock)
    : m_lock(std::move(lock)),
      m_type(std::move(type)),
      m_controllerName(DefaultControllerName(m_type)),
      m_robot("R-100"),
      m_interface("Standard"),
      m_version("V1.00"),
      m_version2("1.00.000")
{
    m_comments[0] = "SN" + std::to_string(100000 + node);
    m_comments[1] = "USER" + std::to_string(node);
    m_comments[6] = "c0a800fe";  // gateway
    m_comments[7] = "ffffff00";  // subnet mask
    m_comments[8] = "c0a80001";  // IP address
    m_parameters[kNodeParameter - 1] = node;
    m_parameters[kDecimalsParameter - 1] = 2;
    m_parameters[9 - 1] = 50;
    m_parameters[kJogSpeedParameter - 1] = 50;
    m_parameters[kInchParameter - 1] = 100;
    m_optionStatus = kServoOnBit | kTeachAllowedBit;
    m_motionTimes[MotionIndex(Motion::None)] = 0ms;
    m_motionTimes[MotionIndex(Motion::Start)] = 300ms;
    m_motionTimes[MotionIndex(Motion::Origin)] = 500ms;
    m_motionTimes[MotionIndex(Motion::JogPlus)] = 30000ms;
    m_motionTimes[MotionIndex(Motion::JogMinus)] = 30000ms;
    m_motionTimes[MotionIndex(Motion::InchPlus)] = 100ms;
    m_motionTimes[MotionIndex(Motion::InchMinus)] = 100ms;
}

int ControllerModel::Node() const
{
    Guard guard(*m_lock);
    return m_parameters[kNodeParameter - 1];
}

void ControllerModel::SetNode(int node)
{
    Guard guard(*m_lock);
    m_parameters[kNodeParameter - 1] = node;
}

std::string ControllerModel::Type() const { Guard guard(*m_lock); return m_type; }
void ControllerModel::SetType(std::string type) { Guard guard(*m_lock); m_type = std::move(type); }
std::string ControllerModel::ControllerName() const { Guard guard(*m_lock); return m_controllerName; }
void ControllerModel::SetControllerName(std::string name) { Guard guard(*m_lock); m_controllerName = std::move(name); }
std::string ControllerModel::Robot() const { Guard guard(*m_lock); return m_robot; }
void ControllerModel::SetRobot(std::string robot) { Guard guard(*m_lock); m_robot = std::move(robot); }
std::string ControllerModel::Interface() const { Guard guard(*m_lock); return m_interface; }
void ControllerModel::SetInterface(std::string text) { Guard guard(*m_lock); m_interface = std::move(text); }
std::string ControllerModel::Version() const { Guard guard(*m_lock); return m_version; }
void ControllerModel::SetVersion(std::string text) { Guard guard(*m_lock); m_version = std::move(text); }
std::string ControllerModel::Version2() const { Guard guard(*m_lock); return m_version2; }
void ControllerModel::SetVersion2(std::string text) { Guard guard(*m_lock); m_version2 = std::move(text); }

std::string ControllerModel::Comment(int number) const
{
    Guard guard(*m_lock);
    return number >= 1 && number <= kCommentCount ? m_comments[number - 1] : std::string();
}

void ControllerModel::SetComment(int number, std::string text)
{
    Guard guard(*m_lock);
    if (number >= 1 && number <= kCommentCount) {
        m_comments[number - 1] = std::move(text);
    }
}

PointFields ControllerModel::Point(int number) const
{
    Guard guard(*m_lock);
    return number >= 1 && number <= kPointCount ? m_points[number - 1] : PointFields{};
}

void ControllerModel::SetPoint(int number, const PointFields& fields)
{
    Guard guard(*m_lock);
    if (number >= 1 && number <= kPointCount) {
        m_points[number - 1] = fields;
    }
}

void ControllerModel::ClearPoint(int number) { SetPoint(number, PointFields{}); }

bool ControllerModel::PointUsed(int number) const { return Point(number)[0] != 0; }

int32_t ControllerModel::Parameter(int k) const
{
    Guard guard(*m_lock);
    return k >= 1 && k <= kParameterCount ? m_parameters[k - 1] : 0;
}

void ControllerModel::SetParameter(int k, int32_t value)
{
    Guard guard(*m_lock);
    if (k >= 1 && k <= kParameterCount) {
        m_parameters[k - 1] = value;
        if (k == kTraceStreamParameter && value == 0) {
            m_stream.on = false;
        }
    }
}

int32_t ControllerModel::HParameter(int h) const
{
    Guard guard(*m_lock);
    return h >= 0 && h < kHParameterCount ? m_hParameters[h] : 0;
}

void ControllerModel::SetHParameter(int h, int32_t value)
{
    Guard guard(*m_lock);
    if (h >= 0 && h < kHParameterCount) {
        m_hParameters[h] = value;
    }
}

int32_t ControllerModel::DValue(int n) const
{
    Guard guard(*m_lock);
    return DValueAt(n, Clock::now());
}

void ControllerModel::SetDValue(int n, int32_t value)
{
    Guard guard(*m_lock);
    if (n >= 0 && n < kDValueCount) {
        m_dValues[n] = value;
    }
}

uint16_t ControllerModel::Inputs() const { Guard guard(*m_lock); return m_inputs; }
void ControllerModel::SetInputs(uint16_t word) { Guard guard(*m_lock); m_inputs = word; }

uint16_t ControllerModel::Outputs() const
{
    Guard guard(*m_lock);
    return m_motion.kind == Motion::None ? m_outputs : static_cast<uint16_t>(m_outputs | kMovingOutputBit);
}

void ControllerModel::SetOutputs(uint16_t word) { Guard guard(*m_lock); m_outputs = word; }

uint16_t ControllerModel::WideInput(int index) const
{
    Guard guard(*m_lock);
    return index >= 0 && index < kWideWordCount ? m_wideInputs[index] : 0;
}

void ControllerModel::SetWideInput(int index, uint16_t word)
{
    Guard guard(*m_lock);
    if (index >= 0 && index < kWideWordCount) {
        m_wideInputs[index] = word;
    }
}

uint16_t ControllerModel::WideOutput(int index) const
{
    Guard guard(*m_lock);
    return index >= 0 && index < kWideWordCount ? m_wideOutputs[index] : 0;
}

void ControllerModel::SetWideOutput(int index, uint16_t word)
{
    Guard guard(*m_lock);
    if (index >= 0 && index < kWideWordCount) {
        m_wideOutputs[index] = word;
    }
}

uint32_t ControllerModel::OptionStatus() const { Guard guard(*m_lock); return m_optionStatus; }
void ControllerModel::SetOptionStatus(uint32_t word) { Guard guard(*m_lock); m_optionStatus = word; }

int32_t ControllerModel::OptionBoard(int index) const
{
    Guard guard(*m_lock);
    return index >= 0 && index < kOptionBoardCount ? m_optionBoards[index] : 0;
}

void ControllerModel::SetOptionBoard(int index, int32_t value)
{
    Guard guard(*m_lock);
    if (index >= 0 && index < kOptionBoardCount) {
        m_optionBoards[index] = value;
    }
}

bool ControllerModel::ServoOn() const { return (OptionStatus() & kServoOnBit) != 0; }
bool ControllerModel::BrakeOn() const { return (OptionStatus() & kBrakeOnBit) != 0; }
void ControllerModel::SetServoHeld(bool held) { Guard guard(*m_lock); m_servoHeld = held; }

std::vector<uint8_t> ControllerModel::Alarms() const
{
    Guard guard(*m_lock);
    std::vector<uint8_t> codes;
    for (const auto& alarm : m_alarms) {
        codes.push_back(alarm.first);
    }
    return codes;
}

void ControllerModel::RaiseAlarm(uint8_t code)
{
    Guard guard(*m_lock);
    Clock::time_point now = Clock::now();
    AlarmRecord record;
    record.code = code;
    record.time = m_dValues[15];
    record.position = PositionAt(now);
    record.speed = DValueAt(1, now);
    record.state = DValueAt(18, now);
    record.point = m_dValues[13];
    record.c = m_dValues[2];
    record.v = m_dValues[9];
    record.inputs = m_inputs;
    record.outputs = Outputs();
    AddRecord(record);
    if (m_alarms.size() < static_cast<size_t>(kAlarmSlots)) {
        m_alarms.emplace_back(code, m_dValues[15]);
    }
    if (m_motion.kind != Motion::None) {
        EndMotion(now, false, code);
    }
}

std::vector<uint8_t> ControllerModel::Warnings() const
{
    Guard guard(*m_lock);
    std::vector<uint8_t> codes;
    for (const auto& warning : m_warnings) {
        codes.push_back(warning.first);
    }
    return codes;
}

void ControllerModel::RaiseWarning(uint8_t code)
{
    Guard guard(*m_lock);
    if (m_warnings.size() < static_cast<size_t>(kAlarmSlots)) {
        m_warnings.emplace_back(code, m_dValues[15]);
    }
}

void ControllerModel::ClearAlarms()
{
    Guard guard(*m_lock);
    m_alarms.clear();
    m_warnings.clear();
}

uint8_t ControllerModel::Message() const { Guard guard(*m_lock); return m_message; }
void ControllerModel::SetMessage(uint8_t code) { Guard guard(*m_lock); m_message = code; }

std::vector<AlarmRecord> ControllerModel::Records() const { Guard guard(*m_lock); return m_records; }

void ControllerModel::AddRecord(const AlarmRecord& record)
{
    Guard guard(*m_lock);
    m_records.insert(m_records.begin(), record);
    if (m_records.size() > static_cast<size_t>(kRecordCapacity)) {
        m_records.resize(kRecordCapacity);
    }
}

void ControllerModel::ClearRecords() { Guard guard(*m_lock); m_records.clear(); }

Motion ControllerModel::CurrentMotion() const { Guard guard(*m_lock); return m_motion.kind; }

void ControllerModel::SetMotionTime(Motion motion, std::chrono::milliseconds duration)
{
    Guard guard(*m_lock);
    m_motionTimes[MotionIndex(motion)] = std::max(duration, 0ms);
}

bool ControllerModel::Streaming() const { Guard guard(*m_lock); return m_stream.on; }

void ControllerModel::SetTraceSource(std::function<std::string(uint32_t)> source)
{
    Guard guard(*m_lock);
    m_traceSource = std::move(source);
}

std::string ControllerModel::Token(std::string_view name, long tokenNode)
{
    std::string token(name);
    token += '.';
    if (tokenNode > 0) {
        token += std::to_string(tokenNode);
    }
    token += kLineEnd;
    return token;
}

std::string ControllerModel::NgReply(long tokenNode, int code)
{
    std::string reply = "NG.";
    if (tokenNode > 0) {
        reply += std::to_string(tokenNode);
    }
    reply += '=';
    reply += Hex2(static_cast<unsigned>(code));
    reply += kLineEnd;
    return reply;
}

int32_t ControllerModel::PositionAt(Clock::time_point now) const
{
    const MotionState& m = m_motion;
    if (m.kind == Motion::None) {
        return m_dValues[0];
    }
    if (now >= m.end || m.end <= m.start) {
        return m.to;
    }
    double done = std::chrono::duration<double>(now - m.start) / std::chrono::duration<double>(m.end - m.start);
    return m.from + static_cast<int32_t>(static_cast<double>(m.to - m.from) * std::clamp(done, 0.0, 1.0));
}

int32_t ControllerModel::DValueAt(int n, Clock::time_point now) const
{
    if (n < 0 || n >= kDValueCount) {
        return 0;
    }
    switch (n) {
    case 0: return PositionAt(now);
    case 1: return m_motion.kind == Motion::None ? m_dValues[1] : m_motion.speed;
    case 18:
        if (!m_alarms.empty()) {
            return kStateAlarm;
        }
        return m_motion.kind == Motion::None ? m_dValues[18] : m_motion.state;
    default: return m_dValues[n];
    }
}

std::string ControllerModel::AnswerKey(const CommandLine& command, long index, const ExecContext& context) const
{
    std::string key(KeywordText(command.keyword));
    if (command.first) {
        key += std::to_string(index);
    }
    return key + NodeSuffix(context);
}

std::string ControllerModel::ItemKey(std::string_view keyword, long index, const ExecContext& context) const
{
    return std::string(keyword) + std::to_string(index) + NodeSuffix(context);
}

std::string ControllerModel::NodeSuffix(const ExecContext& context) const
{
    // The answer to a command to all nodes must say whose it is.
    if (context.answerForm == AnswerForm::WithoutNode && context.tokenNode > 0) {
        return {};
    }
    return '.' + std::to_string(m_parameters[kNodeParameter - 1]);
}

std::string ControllerModel::PointText(int number) const
{
    const PointFields& fields = m_points[number - 1];
    std::string text;
    for (int i = 0; i < kPointFieldCount; ++i) {
        if (i > 0) {
            text += ',';
        }
        text += kPointFieldKeys[i];
        text += std::to_string(fields[i]);
    }
    return text;
}

std::string ControllerModel::RecordText(int index) const
{
    AlarmRecord r;
    if (index >= 1 && static_cast<size_t>(index) <= m_records.size()) {
        r = m_records[index - 1];
    }
    return "F" + Hex2(r.code) + ",T" + std::to_string(r.time) + ",P" + std::to_string(r.position) + ",S" +
           std::to_string(r.speed) + ",M" + std::to_string(r.state) + ",N" + std::to_string(r.point) + ",C" +
           std::to_string(r.c) + ",V" + std::to_string(r.v) + ",I" + std::to_string(r.inputs) + ",O" +
           std::to_string(r.outputs);
}

std::string ControllerModel::DefaultSample(uint32_t index) const
{
    std::string line = std::to_string(index);
    for (int channel = 0; channel < 4; ++channel) {
        const int32_t target = m_parameters[kTraceTargetParameter - 1 + channel];
        line += ',';
        if (target == kTraceInputWord || target == kTraceOutputWord || target == kTraceStatusWord) {
            // A word of bits goes out as lower-case hexadecimal digits without a prefix: the
            // input and output words as they stand, the status byte counting the samples.
            const uint32_t word = target == kTraceInputWord    ? m_inputs
                                  : target == kTraceOutputWord ? Outputs()
                                                               : index & 0xFFu;
            char hex[16];
            std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(word));
            line += hex;
            continue;
        }
        // A triangle wave per channel, phase-shifted, scaled by the target number.
        const int32_t phase = static_cast<int32_t>((index + 25u * static_cast<uint32_t>(channel)) % 100u);
        line += std::to_string(target == 0 ? 0 : target * (std::abs(phase - 50) - 25));
    }
    return line;
}

void ControllerModel::StartStream(int session, Clock::time_point now)
{
    m_stream.on = true;
    m_stream.session = session;
    m_stream.next = now;
    m_stream.index = 0;
}

std::string ControllerModel::Execute(const CommandLine& command, const ExecContext& context)
{
    Guard guard(*m_lock);
    switch (command.keyword) {
    case Keyword::SETID:
    case Keyword::COPY:
    case Keyword::DEL:
    case Keyword::InitPnt:
    case Keyword::InitRec:
    case Keyword::InitTrip:
    case Keyword::InitTime:
    case Keyword::InitComw:
    case Keyword::ReadPnt:
    case Keyword::ReadPrm:
    case Keyword::ReadHprm:
    case Keyword::ReadRec:
    case Keyword::START:
    case Keyword::ORG:
    case Keyword::JogPlus:
    case Keyword::JogMinus:
    case Keyword::InchPlus:
    case Keyword::InchMinus:
    case Keyword::TEACH:
    case Keyword::STOP:
    case Keyword::SRVO:
    case Keyword::BRK:
    case Keyword::RESET:
        return ExecuteAction(command, context);
    default:
        return ExecuteQueryOrWrite(command, context);
    }
}

std::string ControllerModel::ExecuteQueryOrWrite(const CommandLine& command, const ExecContext& context)
{
    const long tokenNode = context.tokenNode;
    const Clock::time_point now = context.now;
    auto number = [](int32_t v) { return std::to_string(v); };
    auto text = [](size_t maxBytes, std::string& target) {
        return [maxBytes, &target](long, const std::string& value) -> std::optional<int> {
            if (value.size() > maxBytes) {
                return ng::kBadValue;
            }
            target = value;
            return std::nullopt;
        };
    };
    auto word = [](uint16_t& target) {
        return [&target](long, const std::string& value) -> std::optional<int> {
            long v = 0;
            if (auto error = CheckedNumber(value, 0, 0xFFFF, v)) {
                return error;
            }
            target = static_cast<uint16_t>(v);
            return std::nullopt;
        };
    };

    Item item;
    const Keyword kw = command.keyword;
    switch (kw) {
    case Keyword::K:
        item = {true, 1, kParameterCount, [&](long i) { return number(m_parameters[i - 1]); },
                [&](long i, const std::string& value) -> std::optional<int> {
                    long v = 0;
                    if (auto error = CheckedNumber(value, INT32_MIN, INT32_MAX, v)) {
                        return error;
                    }
                    m_parameters[i - 1] = static_cast<int32_t>(v);
                    if (i == kTraceStreamParameter) {
                        if (v == 0) {
                            m_stream.on = false;
                        } else if (!m_stream.on || m_stream.session != context.session) {
                            StartStream(context.session, now);
                        }
                    }
                    return std::nullopt;
                }};
        break;
    case Keyword::H:
        item = {true, 0, kHParameterCount - 1, [&](long i) { return number(m_hParameters[i]); },
                [&](long i, const std::string& value) -> std::optional<int> {
                    long v = 0;
                    if (auto error = CheckedNumber(value, INT32_MIN, INT32_MAX, v)) {
                        return error;
                    }
                    m_hParameters[i] = static_cast<int32_t>(v);
                    return std::nullopt;
                }};
        break;
    case Keyword::D:
        item = {true, 0, kDValueCount - 1, [&](long i) { return number(DValueAt(static_cast<int>(i), now)); }, {}};
        break;
    case Keyword::M: case Keyword::P: case Keyword::S: case Keyword::AC: case Keyword::DC:
    case Keyword::Q: case Keyword::ZL: case Keyword::ZH: case Keyword::N: case Keyword::J:
    case Keyword::F: case Keyword::C: case Keyword::T: {
        const size_t field = static_cast<size_t>(
            std::find(kPointFieldKeys.begin(), kPointFieldKeys.end(), KeywordText(kw)) - kPointFieldKeys.begin());
        item = {true, 1, kPointCount, [&, field](long i) { return number(m_points[i - 1][field]); },
                [&, field](long i, const std::string& value) -> std::optional<int> {
                    long v = 0;
                    if (auto error = CheckedNumber(value, INT32_MIN, INT32_MAX, v)) {
                        return error;
                    }
                    m_points[i - 1][field] = static_cast<int32_t>(v);
                    return std::nullopt;
                }};
        break;
    }
    case Keyword::PNT:
        item = {true, 1, kPointCount, [&](long i) { return PointText(static_cast<int>(i)); },
                [&](long i, const std::string& value) -> std::optional<int> {
                    std::optional<PointFields> fields = ParsePointFields(value);
                    if (!fields) {
                        return ng::kBadValue;
                    }
                    m_points[i - 1] = *fields;
                    return std::nullopt;
                }};
        break;
    case Keyword::IN:
        item = {true, 1, 1, [&](long) { return number(m_inputs); }, {}};
        break;
    case Keyword::OUT:
        item = {true, 1, 1, [&](long) { return number(Outputs()); }, word(m_outputs)};
        break;
    case Keyword::INB:
        item = {true, 0, 15, [&](long i) { return number((m_inputs >> i) & 1); }, {}};
        break;
    case Keyword::OUTB:
        item = {true, 0, 15, [&](long i) { return number((Outputs() >> i) & 1); },
                [&](long i, const std::string& value) -> std::optional<int> {
                    long v = 0;
                    if (auto error = CheckedNumber(value, 0, 1, v)) {
                        return error;
                    }
                    const uint16_t bit = static_cast<uint16_t>(1u << i);
                    m_outputs = static_cast<uint16_t>(v ? (m_outputs | bit) : (m_outputs & ~bit));
                    return std::nullopt;
                }};
        break;
    case Keyword::OPT:
        item = {true, 0, 0, [&](long) { return std::to_string(m_optionStatus); }, {}};
        break;
    case Keyword::OPTB:
        item = {true, 0, kOptionBoardCount - 1, [&](long i) { return number(m_optionBoards[i]); }, {}};
        break;
    case Keyword::WIN:
        item = {true, 0, kWideWordCount - 1, [&](long i) { return number(m_wideInputs[i]); }, {}};
        break;
    case Keyword::WOUT:
        item = {true, 0, kWideWordCount - 1, [&](long i) { return number(m_wideOutputs[i]); },
                [&](long i, const std::string& value) { return word(m_wideOutputs[i])(i, value); }};
        break;
    case Keyword::IO:
        item = {true, 1, 1, [&](long) { return number(m_inputs) + "," + number(Outputs()); }, {}};
        break;
    case Keyword::MSG:
        item = {false, 0, 0, [&](long) { return Hex2(m_message) + ",0"; }, {}};
        break;
    case Keyword::ALM:
    case Keyword::WARN: {
        const auto& list = kw == Keyword::ALM ? m_alarms : m_warnings;
        item = {true, 1, kAlarmSlots, [&list](long i) {
                    auto entry = static_cast<size_t>(i) <= list.size() ? list[i - 1] : std::pair<uint8_t, int32_t>{};
                    return Hex2(entry.first) + "," + std::to_string(entry.second);
                }, {}};
        break;
    }
    case Keyword::REC:
        item = {true, 1, kRecordCapacity, [&](long i) { return RecordText(static_cast<int>(i)); }, {}};
        break;
    case Keyword::RECF: case Keyword::RECT: case Keyword::RECP: case Keyword::RECS: case Keyword::RECM:
    case Keyword::RECN: case Keyword::RECC: case Keyword::RECV: case Keyword::RECI: case Keyword::RECO:
        item = {true, 1, kRecordCapacity, [&, kw](long i) {
                    AlarmRecord r;
                    if (static_cast<size_t>(i) <= m_records.size()) {
                        r = m_records[i - 1];
                    }
                    switch (kw) {
                    case Keyword::RECF: return Hex2(r.code);
                    case Keyword::RECT: return std::to_string(r.time);
                    case Keyword::RECP: return std::to_string(r.position);
                    case Keyword::RECS: return std::to_string(r.speed);
                    case Keyword::RECM: return std::to_string(r.state);
                    case Keyword::RECN: return std::to_string(r.point);
                    case Keyword::RECC: return std::to_string(r.c);
                    case Keyword::RECV: return std::to_string(r.v);
                    case Keyword::RECI: return std::to_string(r.inputs);
                    default: return std::to_string(r.outputs);
                    }
                }, {}};
        break;
    case Keyword::CONT:
        item = {false, 0, 0, [&](long) { return m_controllerName; }, text(kNameBytes, m_controllerName)};
        break;
    case Keyword::ROBOT:
        item = {false, 0, 0, [&](long) { return m_robot; }, text(kNameBytes, m_robot)};
        break;
    case Keyword::IF:
        item = {false, 0, 0, [&](long) { return m_interface; }, {}};
        break;
    case Keyword::VER:
        item = {false, 0, 0, [&](long) { return m_version; }, {}};
        break;
    case Keyword::VER2:
        item = {false, 0, 0, [&](long) { return m_version2; }, {}};
        break;
    case Keyword::TYPE:
        item = {false, 0, 0, [&](long) { return m_type; }, {}};
        break;
    case Keyword::COMR:
        item = {true, 1, kCommentCount, [&](long i) { return m_comments[i - 1]; }, {}};
        break;
    case Keyword::COMW:
        item = {true, 1, kCommentCount, {}, [&](long i, const std::string& value) -> std::optional<int> {
                    if (i == 1) {
                        return ng::kBadAddress;  // comment 1 is the controller's own
                    }
                    return text(kCommentBytes, m_comments[i - 1])(i, value);
                }};
        break;
    case Keyword::WIO: {
        // Registers a..b answer their input words, then their output words.
        if (!command.query || command.value) {
            return NgReply(tokenNode, ng::kBadCommand);
        }
        long a = command.first.value_or(-1);
        long b = command.last.value_or(a);
        if (!command.first || a > b || b >= kWideWordCount) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        std::string reply;
        for (long i = a; i <= b; ++i) {
            reply += ItemKey("WIN", i, context) + "=" + number(m_wideInputs[i]) + std::string(kLineEnd);
        }
        for (long i = a; i <= b; ++i) {
            reply += ItemKey("WOUT", i, context) + "=" + number(m_wideOutputs[i]) + std::string(kLineEnd);
        }
        return reply + Token("OK", tokenNode);
    }
    default:
        return NgReply(tokenNode, ng::kBadCommand);
    }

    const bool indexGiven = command.first.has_value();
    if (item.indexed != indexGiven) {
        return NgReply(tokenNode, ng::kBadAddress);
    }
    long a = command.first.value_or(0);
    long b = command.last.value_or(a);
    if (item.indexed && (a < item.lo || b > item.hi || a > b)) {
        return NgReply(tokenNode, ng::kBadAddress);
    }

    std::string reply;
    if (command.query) {
        if (command.value || !item.get) {
            return NgReply(tokenNode, ng::kBadCommand);
        }
        if (command.last) {
            // One line per index, each naming item, index and node.
            for (long i = a; i <= b; ++i) {
                reply += AnswerKey(command, i, context) + "=" + item.get(i) + std::string(kLineEnd);
            }
        } else {
            reply += AnswerKey(command, a, context) + "=" + item.get(a) + std::string(kLineEnd);
        }
        return reply + Token("OK", tokenNode);
    }

    if (!command.value || !item.set) {
        return NgReply(tokenNode, ng::kBadCommand);
    }
    for (long i = a; i <= b; ++i) {
        if (std::optional<int> error = item.set(i, *command.value)) {
            return NgReply(tokenNode, *error);
        }
    }
    return Token("OK", tokenNode);
}

std::string ControllerModel::ExecuteAction(const CommandLine& command, const ExecContext& context)
{
    const long tokenNode = context.tokenNode;
    const Clock::time_point now = context.now;
    const Keyword kw = command.keyword;
    const std::string ok = Token("OK", tokenNode);
    if (command.query || (command.value && kw != Keyword::COPY)) {
        return NgReply(tokenNode, ng::kBadCommand);
    }
    const bool takesIndex = kw == Keyword::COPY || kw == Keyword::DEL || kw == Keyword::START ||
                            kw == Keyword::TEACH || kw == Keyword::SRVO || kw == Keyword::BRK;
    const bool takesRange = kw == Keyword::COPY || kw == Keyword::DEL;
    if (takesIndex != command.first.has_value() || (command.last && !takesRange)) {
        return NgReply(tokenNode, ng::kBadAddress);
    }
    const long a = command.first.value_or(0);
    const long b = command.last.value_or(a);

    switch (kw) {
    case Keyword::SETID:
        return ok;
    case Keyword::COPY: {
        std::optional<long> to = command.value ? ParseDecimal(*command.value) : std::nullopt;
        if (!to) {
            return NgReply(tokenNode, ng::kBadValue);
        }
        const long count = b - a + 1;
        if (a < 1 || a > b || b > kPointCount || *to < 1 || *to + count - 1 > kPointCount) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        std::vector<PointFields> rows(m_points.begin() + (a - 1), m_points.begin() + b);
        std::copy(rows.begin(), rows.end(), m_points.begin() + (*to - 1));
        return ok;
    }
    case Keyword::DEL:
        if (a < 1 || a > b || b > kPointCount) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        std::fill(m_points.begin() + (a - 1), m_points.begin() + b, PointFields{});
        return ok;
    case Keyword::InitPnt:
        m_points.fill(PointFields{});
        return ok;
    case Keyword::InitRec:
        m_records.clear();
        return ok;
    case Keyword::InitTrip:
        m_dValues[16] = 0;
        return ok;
    case Keyword::InitTime:
        m_dValues[15] = 0;
        return ok;
    case Keyword::InitComw:
        for (int i = 1; i < kCommentCount; ++i) {
            m_comments[i] = i >= 6 ? "00000000" : "";
        }
        return ok;
    case Keyword::ReadPnt: {
        std::string reply;
        for (int i = 1; i <= kPointCount; ++i) {
            if (m_points[i - 1][0] != 0) {
                reply += ItemKey("PNT", i, context) + "=" + PointText(i) + std::string(kLineEnd);
            }
        }
        return reply + ok;
    }
    case Keyword::ReadPrm: {
        std::string reply;
        for (int k = 1; k <= kParameterCount; ++k) {
            reply += ItemKey("K", k, context) + "=" + std::to_string(m_parameters[k - 1]) + std::string(kLineEnd);
        }
        return reply + ok;
    }
    case Keyword::ReadHprm: {
        std::string reply;
        for (int h = 0; h < kHParameterCount; ++h) {
            reply += ItemKey("H", h, context) + "=" + std::to_string(m_hParameters[h]) + std::string(kLineEnd);
        }
        return reply + ok;
    }
    case Keyword::ReadRec: {
        std::string reply;
        for (size_t i = 1; i <= m_records.size(); ++i) {
            const long index = static_cast<long>(i);
            reply += ItemKey("REC", index, context) + "=" + RecordText(static_cast<int>(i)) + std::string(kLineEnd);
        }
        return reply + ok;
    }
    case Keyword::START:
        if (a < 1 || a > kPointCount || m_points[a - 1][0] == 0) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        {
            // The controller reports the move type (M) of the point it runs.
            std::string reply =
                StartMotion(Motion::Start, m_points[a - 1][0], m_points[a - 1][1], m_points[a - 1][2], context);
            if (m_motion.kind == Motion::Start) {
                m_dValues[13] = static_cast<int32_t>(a);
            }
            return reply;
        }
    case Keyword::ORG:
        return StartMotion(Motion::Origin, kStateHoming, 0, 100, context);
    case Keyword::JogPlus:
    case Keyword::JogMinus: {
        const int32_t speed =
            std::max(1, m_parameters[kJogSpeedParameter - 1]) * kJogUnitsPerPercentPerSecond;
        const auto seconds = std::chrono::duration<double>(m_motionTimes[MotionIndex(Motion::JogPlus)]).count();
        const int32_t distance = static_cast<int32_t>(speed * seconds);
        const int32_t from = PositionAt(now);
        return StartMotion(kw == Keyword::JogPlus ? Motion::JogPlus : Motion::JogMinus, kStateManualMove,
                           kw == Keyword::JogPlus ? from + distance : from - distance, speed, context);
    }
    case Keyword::InchPlus:
    case Keyword::InchMinus: {
        const int32_t step = std::max(1, m_parameters[kInchParameter - 1]);
        const int32_t from = PositionAt(now);
        return StartMotion(kw == Keyword::InchPlus ? Motion::InchPlus : Motion::InchMinus, kStateManualMove,
                           kw == Keyword::InchPlus ? from + step : from - step, step, context);
    }
    case Keyword::TEACH:
        if (a < 1 || a > kPointCount) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        if ((m_optionStatus & kTeachAllowedBit) == 0) {
            return NgReply(tokenNode, ng::kTeachRefused);
        }
        m_points[a - 1][1] = PositionAt(now);
        return ok;
    case Keyword::STOP:
        if (m_motion.kind != Motion::None) {
            const bool jog = IsJog(m_motion.kind);
            EndMotion(now, false, jog ? std::nullopt : std::optional<int>(ng::kStopped));
        }
        return ok;
    case Keyword::SRVO:
        if (a > 1) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        if (m_servoHeld) {
            return ok;
        }
        if (a == 1) {
            m_optionStatus = (m_optionStatus | kServoOnBit) & ~kBrakeOnBit;
        } else {
            m_optionStatus &= ~kServoOnBit;
            if (m_motion.kind != Motion::None) {
                EndMotion(now, false, ng::kStopped);
            }
        }
        return ok;
    case Keyword::BRK:
        if (a > 1) {
            return NgReply(tokenNode, ng::kBadAddress);
        }
        if (a == 1 && (m_optionStatus & kServoOnBit) != 0) {
            return NgReply(tokenNode, ng::kNotNow);
        }
        m_optionStatus = a == 1 ? (m_optionStatus | kBrakeOnBit) : (m_optionStatus & ~kBrakeOnBit);
        return ok;
    case Keyword::RESET:
        m_alarms.clear();
        m_warnings.clear();
        return ok;
    default:
        return NgReply(tokenNode, ng::kBadCommand);
    }
}

std::string ControllerModel::StartMotion(Motion kind, int32_t state, int32_t target, int32_t speed,
                                         const ExecContext& context)
{
    if (m_motion.kind != Motion::None || !m_alarms.empty() || (m_optionStatus & kServoOnBit) == 0) {
        return NgReply(context.tokenNode, ng::kNotNow);
    }
    m_motion.kind = kind;
    m_motion.state = state;
    m_motion.start = context.now;
    m_motion.end = context.now + m_motionTimes[MotionIndex(kind)];
    m_motion.from = m_dValues[0];
    m_motion.to = target;
    m_motion.speed = speed;
    m_motion.session = context.session;
    m_motion.tokenNode = context.tokenNode;
    return Token("RUN", context.tokenNode);
}

void ControllerModel::EndMotion(Clock::time_point now, bool reachedTarget, std::optional<int> ngCode)
{
    if (m_motion.kind == Motion::None) {
        return;
    }
    m_dValues[0] = reachedTarget ? m_motion.to : PositionAt(now);
    m_dValues[1] = 0;
    if (m_motion.session >= 0) {
        m_pendingOut.emplace_back(m_motion.session, ngCode ? NgReply(m_motion.tokenNode, *ngCode)
                                                           : Token("END", m_motion.tokenNode));
    }
    m_motion = MotionState{};
}

void ControllerModel::Poll(Clock::time_point now, int session, bool linkIdle, std::string& out)
{
    Guard guard(*m_lock);
    if (m_motion.kind != Motion::None && now >= m_motion.end) {
        EndMotion(now, true, std::nullopt);
    }
    for (auto it = m_pendingOut.begin(); it != m_pendingOut.end();) {
        if (it->first == session) {
            out += it->second;
            it = m_pendingOut.erase(it);
        } else {
            ++it;
        }
    }
    if (!m_stream.on || m_stream.session != session || !linkIdle) {
        return;
    }
    const int32_t interval = m_parameters[kTraceIntervalParameter - 1];
    const auto period = std::chrono::milliseconds(
        interval > 0 ? std::min(interval, kMaxTraceIntervalMs) : kDefaultTraceIntervalMs);
    for (int n = 0; n < kMaxSamplesPerPoll && now >= m_stream.next; ++n) {
        out += (m_traceSource ? m_traceSource(m_stream.index) : DefaultSample(m_stream.index));
        out += kLineEnd;
        ++m_stream.index;
        m_stream.next += period;
    }
    // A link that cannot keep up loses samples rather than piling them up.
    if (m_stream.next < now) {
        m_stream.next = now + period;
    }
}

std::optional<Clock::time_point> ControllerModel::NextEvent(int session) const
{
    Guard guard(*m_lock);
    std::optional<Clock::time_point> next;
    auto consider = [&next](Clock::time_point t) {
        if (!next || t < *next) {
            next = t;
        }
    };
    for (const auto& pending : m_pendingOut) {
        if (pending.first == session) {
            consider(Clock::time_point::min());
        }
    }
    if (m_motion.kind != Motion::None && m_motion.session == session) {
        consider(m_motion.end);
    }
    if (m_stream.on && m_stream.session == session) {
        consider(m_stream.next);
    }
    return next;
}

void ControllerModel::CloseSession(int session)
{
    Guard guard(*m_lock);
    std::erase_if(m_pendingOut, [session](const auto& pending) { return pending.first == session; });
    if (m_motion.session == session) {
        m_motion.session = -1;
    }
    if (m_stream.session == session) {
        m_stream.session = -1;
    }
}

}  // namespace emu
