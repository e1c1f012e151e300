// The trace window's settings file "rtt.ini" in the settings folder: every
// key of the trace, target, graph, scale, range, trigger and option sections,
// the placements of the trace window, its tool windows and new viewers.
//
// Missing keys give their defaults, and values that would make the window
// misbehave give the key's default instead: a trace count beyond the set-up's
// range; a target beyond 16 bits, a bit index beyond 31; a zoom, split, line
// width, graph, position, draw flag, scale type, trigger source or slope out
// of range; a pre-trigger above 100 %; a manual range whose maximum is not
// above its minimum (both limits). The title is cut to the 50 characters
// the window shows. A viewer (a model that is not live) neither reads nor
// writes the four targets.
#pragma once

#include "tools/TraceModel.h"

inline constexpr const char16_t* kTraceIniFileName = u"rtt.ini";

// The full path of "rtt.ini"; empty when there is no settings folder.
CString GetTraceIniPath();

// Reads every key into the model. The placements read over the ones the
// model holds (the window puts its current placement there first).
void ReadTraceIniFile(CTraceModel& model, const CString& strPath);
// Writes every key, in the file's own order. FALSE when a write failed.
BOOL WriteTraceIniFile(const CTraceModel& model, const CString& strPath);
