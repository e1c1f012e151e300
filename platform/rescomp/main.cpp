// rescomp: compiles a resource script into a resource module file.
//
//   rescomp --lang ja|en [-I dir]... [-D NAME[=value]]... -o out.qres
//           [--depfile out.d] script.rc
//
// On any fault it prints "file:line: error: ..." and exits with 1, leaving no
// output file behind, so the build stops and never keeps a stale module.

#include "platform/rescomp/Compiler.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: rescomp --lang ja|en [-I dir]... [-D NAME[=value]]... -o out.qres [--depfile out.d] script.rc\n");
    return 2;
}

// Writes a file through a temporary beside it, so a reader never sees half of it.
bool WriteAtomically(const std::string& path, const std::string& bytes)
{
    std::string tmp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ok = ::fchmod(fd, 0644) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

std::string EscapeForDepfile(const std::string& path)
{
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\') out.push_back('\\');
        if (c == '$') out.push_back('$');
        out.push_back(c);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    rescomp::CompileOptions options;
    std::string output;
    std::string depfile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--lang") {
            if (!value(options.language)) return Usage();
        } else if (arg == "-o") {
            if (!value(output)) return Usage();
        } else if (arg == "--depfile") {
            if (!value(depfile)) return Usage();
        } else if (arg.rfind("-I", 0) == 0) {
            if (arg.size() > 2) {
                options.includeDirs.push_back(arg.substr(2));
            } else if (value(v)) {
                options.includeDirs.push_back(v);
            } else {
                return Usage();
            }
        } else if (arg.rfind("-D", 0) == 0) {
            std::string def = arg.substr(2);
            if (def.empty() && !value(def)) return Usage();
            const std::size_t eq = def.find('=');
            if (eq == 0 || def.empty()) return Usage();
            if (eq == std::string::npos) {
                options.defines.emplace_back(def, "1");
            } else {
                options.defines.emplace_back(def.substr(0, eq), def.substr(eq + 1));
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (options.script.empty()) {
            options.script = arg;
        } else {
            return Usage();
        }
    }
    if (options.script.empty() || output.empty() || options.language.empty()) return Usage();

    const rescomp::CompileResult result = rescomp::Compile(options);
    if (!result.ok) {
        for (const std::string& e : result.errors) std::fprintf(stderr, "%s\n", e.c_str());
        ::unlink(output.c_str());
        return 1;
    }
    if (!WriteAtomically(output, result.module)) {
        std::fprintf(stderr, "%s: error: cannot write the resource module\n", output.c_str());
        ::unlink(output.c_str());
        return 1;
    }
    if (!depfile.empty()) {
        std::string text = EscapeForDepfile(output) + ":";
        for (const std::string& d : result.dependencies) text += " \\\n  " + EscapeForDepfile(d);
        text += "\n";
        if (!WriteAtomically(depfile, text)) {
            std::fprintf(stderr, "%s: error: cannot write the dependency file\n", depfile.c_str());
            ::unlink(output.c_str());
            return 1;
        }
    }
    return 0;
}
