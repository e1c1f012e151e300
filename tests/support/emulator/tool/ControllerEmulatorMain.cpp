// controller-emulator: plays a line of controllers for trying the tools by hand.
//
//   controller-emulator [--tcp PORT] [--pty] [--node N[:TYPE]]... [--state FILE]
//                       [--echo] [--no-node] [--baud N|line] [--codepage 932|1252] [--quiet]
//
// --no-node: answer lines leave the node out ("K12=500"; bulk reads in the data file's
// line form), as some controllers answer.
// Without --tcp or --pty it serves both (TCP on a free port). Without --node or --state it
// plays one "LB" controller as node 1. It prints where it listens, then every line it
// receives, until interrupted.

#include "tests/support/emulator/Emulator.h"
#include "tests/support/emulator/StateFile.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: controller-emulator [--tcp PORT] [--pty] [--node N[:TYPE]]... [--state FILE]\n"
                 "                           [--echo] [--no-node] [--baud N|line] [--codepage 932|1252]\n"
                 "                           [--quiet]\n");
}

bool ParseInt(std::string_view text, long lo, long hi, long& out)
{
    std::optional<long> value = emu::ParseDecimal(text);
    if (!value || *value < lo || *value > hi) {
        return false;
    }
    out = *value;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    emu::Emulator emulator;
    bool wantTcp = false;
    bool wantPty = false;
    bool quiet = false;
    long tcpPort = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (arg == "--tcp" && hasValue && ParseInt(argv[i + 1], 0, 65535, number)) {
            wantTcp = true;
            tcpPort = number;
            ++i;
        } else if (arg == "--pty") {
            wantPty = true;
        } else if (arg == "--node" && hasValue) {
            const std::string_view spec = argv[++i];
            const size_t colon = spec.find(':');
            if (!ParseInt(spec.substr(0, colon), 1, 255, number)) {
                Usage();
                return 2;
            }
            emulator.AddController(static_cast<int>(number),
                                   colon == std::string_view::npos ? "LB" : std::string(spec.substr(colon + 1)));
        } else if (arg == "--state" && hasValue) {
            std::string error;
            if (!emu::LoadStateFile(argv[++i], emulator.Line(), error)) {
                std::fprintf(stderr, "controller-emulator: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--echo") {
            emulator.SetEcho(true);
        } else if (arg == "--no-node") {
            emulator.SetAnswerForm(emu::AnswerForm::WithoutNode);
        } else if (arg == "--baud" && hasValue) {
            if (std::string_view(argv[i + 1]) == "line") {
                emulator.SetPacing(emu::Emulator::kFollowLineBaud);
            } else if (ParseInt(argv[i + 1], 1, 4000000, number)) {
                emulator.SetPacing(static_cast<int>(number));
            } else {
                Usage();
                return 2;
            }
            ++i;
        } else if (arg == "--codepage" && hasValue && ParseInt(argv[i + 1], 932, 1252, number) &&
                   (number == 932 || number == 1252)) {
            emulator.SetCodePage(static_cast<int>(number));
            ++i;
        } else if (arg == "--quiet") {
            quiet = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (emulator.Line().ControllerCount() == 0) {
        emulator.AddController(1, "LB");
    }
    if (!wantTcp && !wantPty) {
        wantTcp = wantPty = true;
    }

    // Signals are taken by sigtimedwait below, never by a handler in a serving thread.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    if (wantTcp) {
        const uint16_t port = emulator.ServeTcp(static_cast<uint16_t>(tcpPort));
        if (port == 0) {
            std::fprintf(stderr, "controller-emulator: %s\n", emulator.LastError().c_str());
            return 1;
        }
        std::printf("tcp 127.0.0.1:%u\n", port);
    }
    if (wantPty) {
        const std::string path = emulator.ServePty();
        if (path.empty()) {
            std::fprintf(stderr, "controller-emulator: %s\n", emulator.LastError().c_str());
            return 1;
        }
        std::printf("pty %s -> %s\n", path.c_str(), emulator.PtyDevice().c_str());
    }
    std::fflush(stdout);

    size_t shown = 0;
    for (;;) {
        timespec wait{0, 200 * 1000 * 1000};
        if (sigtimedwait(&signals, nullptr, &wait) > 0) {
            break;
        }
        if (!quiet) {
            const std::vector<std::string> lines = emulator.ReceivedLines();
            for (; shown < lines.size(); ++shown) {
                std::printf("< %s\n", lines[shown].c_str());
            }
            std::fflush(stdout);
        }
    }
    emulator.Stop();
    return 0;
}
