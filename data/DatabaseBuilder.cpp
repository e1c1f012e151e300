// Build-time tool: reads the readable database source and writes the three
// database files into a folder.
//   dbbuild <output folder> <source file>...
#include "data/DatabaseFileWriter.h"
#include "data/DatabaseSourceParser.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: dbbuild <output folder> <source file>...\n");
        return 2;
    }
    actuatordb::CDatabaseSourceParser parser;
    std::string error;
    for (int i = 2; i < argc; ++i) {
        if (!parser.ParseFile(argv[i], error)) {
            std::fprintf(stderr, "dbbuild: %s\n", error.c_str());
            return 1;
        }
    }
    if (!parser.Finish(error) || !actuatordb::WriteDatabaseFiles(parser.database(), argv[1], error)) {
        std::fprintf(stderr, "dbbuild: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
