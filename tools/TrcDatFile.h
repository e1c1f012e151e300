// The trace data file (".trd"): one finished trace with the controller it
// came from, every setting needed to draw it again and the samples of the
// four channels. A start marker, seven blocks of label and value lines, each
// ended by an empty line, and the start marker reversed as end marker. The
// marker is the same in every interface language (a file written in one
// opens in the other; the language's own marker of older files is accepted
// too); the label lines are strings 42001 to 42041 of the current resource
// module, which readers skip. 8-bit text in the ANSI code page, CR LF line
// ends.
//
// Saving writes a temporary file that replaces the target only when every
// line was stored, so a failed save leaves the old file as it was. Loading
// reads everything into a separate record and fails at the first block that
// is missing, short, not a number where a number belongs, or out of range
// (targets beyond 16 bits, bit indexes beyond 31, trigger source above 4,
// slope above 1, draw flags, auto-range flags and scale types out of range,
// a manual maximum not above its minimum); units and labels are cut to the
// 14 and 40 characters the window shows, the title to 50; the caller's trace is untouched until the whole file was read.
#pragma once

#include "tools/TraceModel.h"

#include "platform/core/File.h"

// Resource strings of the file and of its messages.
inline constexpr UINT IDS_TRD_MARKER = 42000;
inline constexpr UINT IDS_TRD_CANNOT_OPEN = 48006;
inline constexpr UINT IDS_TRD_CANNOT_LOAD = 48011;
inline constexpr UINT IDS_TRD_CANNOT_SAVE = 48012;

// Steps of a save or load: 1 start marker, 2 to 8 the seven blocks, 9 end marker.
inline constexpr int kTrdPhaseDone = 9;

class CTrcDatFile : public CStdioFile {
public:
    CTrcDatFile();

    BOOL WriteStartMark();
    BOOL WriteEndMark();
    BOOL WriteControllerInfo(const robconsettag& robCon);
    BOOL WriteTraceSettings(const tracesettag& traceSet);
    BOOL WriteTriggerSettings(const TraceTriggerSettings& trigSet);
    BOOL WriteGraphSettings(const TraceGraphSettings& graphSet);
    BOOL WriteRangeSettings(const TraceRangeSettings& rangeSet);
    BOOL WriteScaleSettings(const TraceScaleSettings& scaleSet);
    // N + 1 rows from the oldest sample of the ring (the update pointer when
    // it has looped, else slot 0), then the trigger position.
    BOOL WriteData(BOOL bLooped, int nUpdatePointer, int nTriggerPos, int nTraceNum, const SampleSet& data);

    BOOL ReadStartMark();
    BOOL ReadEndMark();
    BOOL ReadControllerInfo(robconsettag& robCon);
    BOOL ReadTraceSettings(tracesettag& traceSet);
    BOOL ReadTriggerSettings(TraceTriggerSettings& trigSet);
    BOOL ReadGraphSettings(TraceGraphSettings& graphSet);
    BOOL ReadRangeSettings(TraceRangeSettings& rangeSet);
    BOOL ReadScaleSettings(TraceScaleSettings& scaleSet);
    // Allocates the set for N and reads N + 1 rows; the trigger position must
    // lie in 0..N.
    BOOL ReadData(int nTraceNum, SampleSet& data, int& nTriggerPos);

    // Line builders: one value line of four values with its line end.
    static CString ChannelLabelLine(UINT nLabelId);
    static CString JoinTexts(const CString* texts);
    static CString JoinReals(const double* values);
    static CString JoinShorts(const std::uint16_t* values);
    static CString JoinBytes(const std::uint8_t* values);
    static CString JoinInts(const std::int32_t* values);
    // Value-line splitters: FALSE when a value is missing or not a number.
    static BOOL SplitShorts(const CString& line, std::uint16_t* values);
    static BOOL SplitBytes(const CString& line, std::uint8_t* values);
    static BOOL SplitInts(const CString& line, std::int32_t* values);
    static BOOL SplitTexts(const CString& line, CString* values);
    static BOOL SplitReals(const CString& line, double* values);

private:
    BOOL Put(const CString& text);
    BOOL ReadLine(CString& line);
    BOOL ReadValueLine(CString& line);
    BOOL ReadEmptyLine();
    CString LabelLine(std::initializer_list<UINT> ids);
};

// Saves the model's trace and settings. Shows string 48006 when the file
// cannot be created. nPhase counts the steps done; FALSE when any step, or
// storing the file, failed (the old file then stays as it was).
BOOL SaveTrcDat(const CString& strPath, const CTraceModel& model, int& nPhase);
// Loads a file into a separate record. Shows string 48006 when it cannot be
// opened; FALSE with nPhase at the steps done when it is damaged.
BOOL LoadTrcDat(const CString& strPath, TraceFileContents& file, int& nPhase);
// "%s\nPhase = %d" with the string and the failing step (nPhase + 1).
void ShowTrcDatError(UINT nMessageId, int nPhase);
