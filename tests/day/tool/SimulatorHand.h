// What the working-day test and the hand in the simulator program agree on:
// where the hand reports, and what it does in the simulator's windows.
#pragma once

// The report file: "key=value" lines (UTF-8), one a line, appended as the
// hand works. Without it the program is the plain simulator.
inline constexpr char kSimulatorHandReport[] = "QV_DAY_SIMULATOR_REPORT";

// The point the hand edits in the simulator's point list, and what it types
// as its position (mm).
inline constexpr int kSimulatorHandPoint = 2;
inline constexpr char16_t kSimulatorHandPosition[] = u"42.5";
// The position in the controller's units (hundredths of mm, two decimals).
inline constexpr int kSimulatorHandPositionUnits = 4250;

// The process's end when the hand gave up (its windows never came, or a
// step never ended): never an exit code the simulator itself uses.
inline constexpr int kSimulatorHandTimedOut = 97;
