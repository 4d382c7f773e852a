#pragma once

// Public interface of the table engine: operations on a table's files as a whole.

#include "engine/FieldDescriptor.h"

#include <filesystem>
#include <string>

namespace shelfwise::engine {

// All of these work on closed tables and throw EngineError naming the file on failure. File
// names may lack ".dbf"; existing files are found whatever their case, and new memo and index
// files get the table's base name in lower case.

// True when the table's .dbf exists.
bool tableExists(const std::filesystem::path& directory, const std::string& fileName);

// Creates an empty table with these fields (and its memo file when a field needs one); fails
// when the table exists. Names are stored in upper case; offsets are computed.
void createTable(const std::filesystem::path& directory, const std::string& fileName,
                 const FieldList& fields);

// Copies the table with its memo and index files over the target, which must not be open
// anywhere. The source may be open shared; writers wait while it is copied.
void copyTable(const std::filesystem::path& sourceDirectory, const std::string& sourceName,
               const std::filesystem::path& targetDirectory, const std::string& targetName);

// Renames the table and its companion files; fails when the target exists or the table is
// open anywhere.
void renameTable(const std::filesystem::path& directory, const std::string& fileName,
                 const std::string& newFileName);

// Deletes the table's .dbf, .dbt and .mdx; fails when the table is open anywhere.
void deleteTable(const std::filesystem::path& directory, const std::string& fileName);

} // namespace shelfwise::engine
