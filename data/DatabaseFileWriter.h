// Writes the actuator database in its binary form: the main database
// ("YvekInitParameter.rid"), the stroke database (".rid2") and the payload
// database (".rid3"). Numbers are little-endian; texts are Windows-1252,
// padded with zero bytes.
#pragma once

#include "data/ActuatorDatabase.h"

#include <string>

namespace actuatordb {

enum class TableKind { Stroke, Payload };

// Head sizes of the table files. The reader finds every record, entry and
// pair through them, so fixtures may choose other sizes (at least 21, 7, 5).
struct TableLayoutOptions {
    unsigned recordHeadBytes = 24;
    unsigned entryHeadBytes = 8;
    unsigned pairBytes = 8;
};

// Each returns false with a reason when the database cannot be written in
// the format (a name too long or not encodable, a count beyond its field).
bool BuildMainDatabase(const Database& db, std::string& bytes, std::string& error);
bool BuildTableDatabase(const Database& db, TableKind kind, std::string& bytes, std::string& error,
                        const TableLayoutOptions& layout = {});

// Writes the three files into the folder, each replaced atomically.
bool WriteDatabaseFiles(const Database& db, const std::string& folder, std::string& error);

}  // namespace actuatordb
