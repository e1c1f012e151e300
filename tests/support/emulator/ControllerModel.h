#pragma once

// One emulated controller: what it holds and how it answers one command line.
//
// Texts are bytes as the controller sends them (CP932 or CP1252); the model never converts.
// Every public member locks the model's mutex, which a line shares with all its controllers,
// so a test may change the state while a transport thread serves commands.

#include "tests/support/emulator/CommandLine.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace emu {

using Clock = std::chrono::steady_clock;

inline constexpr int kPointFieldCount = 13;
// Keys of a point's fields in the order the controller lists them.
inline constexpr std::array<std::string_view, kPointFieldCount> kPointFieldKeys = {
    "M", "P", "S", "AC", "DC", "Q", "ZL", "ZH", "N", "J", "F", "C", "T"};
// One point row: M, P, S, AC, DC, Q, ZL, ZH, N, J, F, C, T. A row whose M is 0 is unused.
using PointFields = std::array<int32_t, kPointFieldCount>;

// One alarm history record, as REC answers it.
struct AlarmRecord {
    uint8_t code = 0;      // F, sent as two upper-case hexadecimal digits
    int32_t time = 0;      // T, minutes
    int32_t position = 0;  // P
    int32_t speed = 0;     // S
    int32_t state = 0;     // M
    int32_t point = 0;     // N
    int32_t c = 0;         // C
    int32_t v = 0;         // V
    int32_t inputs = 0;    // I
    int32_t outputs = 0;   // O
};

enum class Motion { None, Start, Origin, JogPlus, JogMinus, InchPlus, InchMinus };

// The controller name a controller of this model code reports until one is written.
std::string DefaultControllerName(std::string_view type);

// How a controller writes the key of an answer line to a command that named its node: with
// the node ("K12.1=500", "PNT3.1=M1,...") or, as some controllers do, without it ("K12=500",
// and a bulk read in the data file's own line form, "PNT3=M1,..."). Reply tokens carry the
// node either way, and so does every answer line to a command to all nodes.
enum class AnswerForm { WithNode, WithoutNode };

// Where and when a command is executed: the session that sent it and the node its reply
// tokens carry (0 for a line without node: "OK.", "NG.=43").
struct ExecContext {
    Clock::time_point now = Clock::now();
    int session = 0;
    long tokenNode = 0;
    AnswerForm answerForm = AnswerForm::WithNode;
};

class ControllerModel {
public:
    static constexpr int kPointCount = 255;
    static constexpr int kParameterCount = 138;  // K1..K138
    static constexpr int kHParameterCount = 8;   // H0..H7
    static constexpr int kDValueCount = 100;     // D0..D99
    static constexpr int kCommentCount = 9;      // COMR / COMW 1..9
    static constexpr size_t kCommentBytes = 29;
    static constexpr size_t kNameBytes = 64;
    static constexpr int kAlarmSlots = 32;
    static constexpr int kRecordCapacity = 50;
    static constexpr int kOptionBoardCount = 32;
    static constexpr int kWideWordCount = 4;

    // Parameters that change what the controller does.
    static constexpr int kModeParameter = 20;
    static constexpr int kNodeParameter = 38;
    static constexpr int kDecimalsParameter = 72;
    static constexpr int kJogSpeedParameter = 10;  // percent
    static constexpr int kInchParameter = 11;      // raw units per inch
    static constexpr int kTraceTargetParameter = 94;   // K94..K97: targets of channels 1 to 4
    static constexpr int kTraceIntervalParameter = 98;
    static constexpr int kTraceStreamParameter = 99;
    // Trace targets that are words of bits rather than values.
    static constexpr int32_t kTraceInputWord = 8;
    static constexpr int32_t kTraceOutputWord = 9;
    static constexpr int32_t kTraceStatusWord = 10;

    // Bits of the option status word (OPT0) and of the output word (OUT1).
    static constexpr uint32_t kTeachAllowedBit = 1u << 3;
    static constexpr uint32_t kServoOnBit = 1u << 11;
    static constexpr uint32_t kBrakeOnBit = 1u << 13;
    static constexpr uint16_t kMovingOutputBit = 1u << 12;

    // The D18 state codes the model reports by itself.
    static constexpr int32_t kStateIdle = 0;
    static constexpr int32_t kStateAlarm = -1;
    static constexpr int32_t kStateHoming = 9;
    // 1 to 8: moving, by move type; a point that runs reports its own type (M). A jog or an
    // inch is a plain relative move from where the axis stands, never a push: INC.
    static constexpr int32_t kStateManualMove = 2;

    ControllerModel(int node, std::string type);
    ControllerModel(int node, std::string type, std::shared_ptr<std::recursive_mutex> lock);
    ControllerModel(const ControllerModel&) = delete;
    ControllerModel& operator=(const ControllerModel&) = delete;

    // Identity. The node number is parameter K38.
    int Node() const;
    void SetNode(int node);
    std::string Type() const;
    void SetType(std::string type);
    std::string ControllerName() const;
    void SetControllerName(std::string name);
    std::string Robot() const;
    void SetRobot(std::string robot);
    std::string Interface() const;
    void SetInterface(std::string text);
    std::string Version() const;
    void SetVersion(std::string text);
    std::string Version2() const;
    void SetVersion2(std::string text);

    // Comments 1..9 (COMR / COMW): 2 is the user's name, 9, 8 and 7 the IP address, subnet
    // mask and gateway as eight hexadecimal digits.
    std::string Comment(int number) const;
    void SetComment(int number, std::string text);

    // Points 1..255.
    PointFields Point(int number) const;
    void SetPoint(int number, const PointFields& fields);
    void ClearPoint(int number);
    bool PointUsed(int number) const;

    int32_t Parameter(int k) const;  // K1..K138
    void SetParameter(int k, int32_t value);
    int32_t HParameter(int h) const;  // H0..H7
    void SetHParameter(int h, int32_t value);
    // D0..D99; D0 (position), D1 (speed), D13 (point) and D18 (state) follow a motion.
    int32_t DValue(int n) const;
    void SetDValue(int n, int32_t value);

    uint16_t Inputs() const;
    void SetInputs(uint16_t word);
    uint16_t Outputs() const;  // bit 12 is set while the axis moves
    void SetOutputs(uint16_t word);
    uint16_t WideInput(int index) const;  // WIN0..WIN3
    void SetWideInput(int index, uint16_t word);
    uint16_t WideOutput(int index) const;  // WOUT0..WOUT3
    void SetWideOutput(int index, uint16_t word);
    uint32_t OptionStatus() const;
    void SetOptionStatus(uint32_t word);
    int32_t OptionBoard(int index) const;  // OPTB0..OPTB31
    void SetOptionBoard(int index, int32_t value);
    bool ServoOn() const;
    bool BrakeOn() const;
    // The drive's power cut (an emergency stop held): servo commands are
    // answered "OK." but the servo stays as it is.
    void SetServoHeld(bool held);

    // Active alarms and warnings (ALM / WARN 1..32), the current message (MSG) and the
    // alarm history (REC 1..50, newest first). Raising an alarm records it in the history
    // and ends a motion with NG and the alarm's code.
    std::vector<uint8_t> Alarms() const;
    void RaiseAlarm(uint8_t code);
    std::vector<uint8_t> Warnings() const;
    void RaiseWarning(uint8_t code);
    void ClearAlarms();
    uint8_t Message() const;
    void SetMessage(uint8_t code);
    std::vector<AlarmRecord> Records() const;
    void AddRecord(const AlarmRecord& record);
    void ClearRecords();

    // Motions answer "RUN." at once and "END." (or "NG.=05" when stopped) when done.
    Motion CurrentMotion() const;
    void SetMotionTime(Motion motion, std::chrono::milliseconds duration);

    // The trace sample stream (K99 = 1). The source gives the text of sample `index` without
    // its line end; by default a counter and four channels: a word target (input, output or
    // status word) in hexadecimal, any other target a triangle wave scaled by its number.
    bool Streaming() const;
    void SetTraceSource(std::function<std::string(uint32_t index)> source);

    // Used by the line: the reply bytes to one command addressed to this controller.
    std::string Execute(const CommandLine& command, const ExecContext& context);
    // Moves lines that are due for `session` (motion ends, samples) into `out`. Samples
    // are only produced while the session's link has nothing else to send.
    void Poll(Clock::time_point now, int session, bool linkIdle, std::string& out);
    std::optional<Clock::time_point> NextEvent(int session) const;
    void CloseSession(int session);

    static std::string Token(std::string_view name, long tokenNode);
    static std::string NgReply(long tokenNode, int code);

private:
    using Guard = std::lock_guard<std::recursive_mutex>;

    struct MotionState {
        Motion kind = Motion::None;
        int32_t state = kStateIdle;  // D18 while it runs
        Clock::time_point start;
        Clock::time_point end;
        int32_t from = 0;
        int32_t to = 0;
        int32_t speed = 0;
        int session = -1;
        long tokenNode = 0;
    };
    struct Stream {
        bool on = false;
        int session = -1;
        Clock::time_point next;
        uint32_t index = 0;
    };

    std::string ExecuteQueryOrWrite(const CommandLine& command, const ExecContext& context);
    std::string ExecuteAction(const CommandLine& command, const ExecContext& context);
    std::string StartMotion(Motion kind, int32_t state, int32_t target, int32_t speed, const ExecContext& context);
    void EndMotion(Clock::time_point now, bool reachedTarget, std::optional<int> ngCode);
    int32_t PositionAt(Clock::time_point now) const;
    int32_t DValueAt(int n, Clock::time_point now) const;
    // The key of an answer line: keyword, index (when the command gave one) and this
    // controller's node as the answer form has it, "K12.1" or "CONT.1" ("K12", "CONT").
    std::string AnswerKey(const CommandLine& command, long index, const ExecContext& context) const;
    std::string ItemKey(std::string_view keyword, long index, const ExecContext& context) const;
    std::string NodeSuffix(const ExecContext& context) const;
    std::string PointText(int number) const;
    std::string RecordText(int index) const;
    std::string DefaultSample(uint32_t index) const;
    void StartStream(int session, Clock::time_point now);

    std::shared_ptr<std::recursive_mutex> m_lock;
    std::string m_type;
    std::string m_controllerName;
    std::string m_robot;
    std::string m_interface;
    std::string m_version;
    std::string m_version2;
    std::array<std::string, kCommentCount> m_comments;
    std::array<PointFields, kPointCount> m_points{};
    std::array<int32_t, kParameterCount> m_parameters{};
    std::array<int32_t, kHParameterCount> m_hParameters{};
    std::array<int32_t, kDValueCount> m_dValues{};
    uint16_t m_inputs = 0;
    uint16_t m_outputs = 0;
    std::array<uint16_t, kWideWordCount> m_wideInputs{};
    std::array<uint16_t, kWideWordCount> m_wideOutputs{};
    uint32_t m_optionStatus = 0;
    bool m_servoHeld = false;
    std::array<int32_t, kOptionBoardCount> m_optionBoards{};
    std::vector<std::pair<uint8_t, int32_t>> m_alarms;    // code, time
    std::vector<std::pair<uint8_t, int32_t>> m_warnings;  // code, time
    uint8_t m_message = 0;
    std::vector<AlarmRecord> m_records;
    MotionState m_motion;
    std::array<std::chrono::milliseconds, 7> m_motionTimes;
    std::vector<std::pair<int, std::string>> m_pendingOut;  // session, bytes
    Stream m_stream;
    std::function<std::string(uint32_t)> m_traceSource;
};

}  // namespace emu
