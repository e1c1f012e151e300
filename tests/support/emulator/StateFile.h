#pragma once

// Initial state of a line from a text of "KEY=VALUE" lines. A controller data file that the
// manager saved loads as one controller; further keys fill what such a file does not hold.
//
//   NODE=2          starts the next controller, with this node (else one with node 1 starts
//                   at the first other line)
//   TYPE=LB         model code; the controller name follows it unless CONT is given
//   CONT= ROBOT= IF= VER= VER2=   identity texts;   USER= / COM<n>=   comments
//   IPADDR= MASK= GATEWAY=        dotted addresses into comments 9, 8 and 7
//   PNT<n>=M1,P1000,...   K<n>=   H<n>=   D<n>=   IN=   OUT=   OPT=   OPTB<n>=
//   WIN<n>=   WOUT<n>=   ALM=1A,2B   WARN=   MSG=41   (codes in hexadecimal)
// Empty lines and lines beginning with "#" or ";" are skipped; DBVER is ignored.

#include "tests/support/emulator/LineEmulator.h"

#include <string>
#include <string_view>

namespace emu {

// False with a message naming the line when a line cannot be taken; lines before it stay.
bool LoadState(std::string_view text, LineEmulator& line, std::string& error);
bool LoadStateFile(const std::string& path, LineEmulator& line, std::string& error);

}  // namespace emu
