// The tables of traceable signals that the trace set-up offers per channel:
// a data table (one row per target) and a bit table (names of the bits of
// bit targets), "CSV" resources of the language library chosen by the
// controller's type. Lines end at LF (a CR before it is dropped), "EOD" ends
// a table, empty lines and lines beginning with "#" are skipped.
//
// Data row: number, name, unit ("NULL": none), bit count (0: a data target),
// lower and upper raw limit (a whole number, or "K<n>": the controller's
// parameter n, such as the soft limits K1 and K2 that bound the axis's
// travel), scale (a real number, or "K72...": 1 / 10^K72 of the controller).
// Bit row: target number, then the names of its bits in order.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

inline constexpr UINT IDR_TRACE_DATA_TABLE = 10020;
inline constexpr UINT IDR_TRACE_BIT_TABLE = 10021;
inline constexpr UINT IDR_TRACE_DATA_TABLE_LB = 10023;
inline constexpr UINT IDR_TRACE_BIT_TABLE_LB = 10022;
// Prefix of a bit without a name, followed by its index.
inline constexpr UINT IDS_TRACE_BIT_DEFAULT = 10228;

struct TraceTargetRow {
    std::int32_t nNumber = 0;
    CString strName;
    CString strUnit;
    std::int32_t nBitCount = 0;
    std::int32_t nLowerLimit = -1000;
    std::int32_t nUpperLimit = 1000;
    double dScale = 1.0;
    std::vector<CString> bitNames;
};

// 1 / 10^K72, by squaring (K72 below 0 gives 10^-K72).
double K72Scale(std::int32_t nK72);

class CTraceTargetTable {
public:
    enum class Result {
        Ok,
        Missing,    // a table resource is not in the resource module
        Malformed,  // a data line lacks one of its seven fields
    };

    // The controller's parameters that limits may name, by number; a limit
    // naming one that is not known keeps the row's default.
    using Parameters = std::map<int, std::int32_t>;

    // Reads both tables for a controller type from the current resource module.
    Result Load(const CString& strControllerType, std::int32_t nK72, const Parameters& parameters = {});
    // Parses tables given as their bytes (8-bit text in the ANSI code page).
    Result Parse(std::string_view dataTable, std::string_view bitTable, std::int32_t nK72,
                 const Parameters& parameters = {});

    const std::vector<TraceTargetRow>& Rows() const { return m_rows; }
    // The row a channel's stored target selects: the first with the number
    // whose bit count is 0 or above the bit; else the first row (bit 0).
    // -1 for an empty table.
    int SelectRow(std::int32_t nTarget, std::int32_t nBit, std::int32_t& nSelectedBit) const;
    // "%d: %s" of a bit; a missing, empty or "NULL" name is string 10228
    // followed by the index.
    static CString BitEntryText(const TraceTargetRow& row, int nBit);
    // The channel label a selection gives: the name, and ": " and the bit's
    // name for a bit target.
    static CString LabelText(const TraceTargetRow& row, int nBit);
    // The unit a selection gives ("NULL" is none).
    static CString UnitText(const TraceTargetRow& row);

    // Which tables a controller type uses.
    static void TableIds(const CString& strControllerType, UINT& nDataId, UINT& nBitId);

private:
    std::vector<TraceTargetRow> m_rows;
};
