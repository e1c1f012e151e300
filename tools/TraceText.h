// Texts of the trace windows: trimmed numbers, time values and file names.
#pragma once

#include "platform/core/CString.h"

#include <ctime>

// Drops the trailing "0" characters and then the trailing "." of a number
// text with a decimal point: 1.500 gives 1.5, 2.000 gives 2. A text without
// a point is returned as it is (100 stays 100).
CString TrimNumberText(const CString& strText);
// A time in milliseconds as the trace shows it: "2s", "1.2345s", "12.5ms",
// "500us", "0s"; "ERROR" for a value that is not a number or that is not 0
// but rounds to 0.0 ms.
CString FormatTraceTime(double dTimeMs);
// The part after the last separator ('\' or '/'); the whole path without one.
CString FileNameOfPath(const CString& strPath);
// FileNameOfPath cut before its first full stop, unless the name begins with it.
CString FileTitleOfPath(const CString& strPath);
// A name for a trace that has none yet: the graph title (or "trace") and
// the time, as "Axis 1_20250601_143012.trd". Characters that a file name
// cannot hold, and full stops (which would cut its title short), become "_".
CString SuggestTraceFileName(const CString& strTitle, const std::tm& when);
