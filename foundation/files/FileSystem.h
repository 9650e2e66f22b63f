#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "foundation/files/Path.h"

namespace TAVO {

class Buffer;
class DynamicBuffer;

// Whole-file operations. Failures throw PathException naming the path;
// the tests (isDirectory, isReadableFile) never throw. Sizes are 32-bit:
// files of 4 GiB or more are refused, never truncated.
namespace FileSystem {

// Creates every missing folder along the path, shortest prefix first. A
// prefix that exists (as anything) is passed over; the first prefix that
// cannot be created throws "Failed to create directory. " naming that prefix.
void createDirectories(const Path& path);

bool isDirectory(const Path& path);
// A regular file that can be opened for reading.
bool isReadableFile(const Path& path);

// Throws "Not found. " when the path is not a readable file and
// "File too large. " from 4 GiB on.
std::uint32_t fileSize(const Path& path);
// The size of an open stream, which is left at its start. Throws
// StreamException when the stream cannot tell its size and
// BoundException<unsigned long long> from 4 GiB on.
std::uint32_t streamSize(std::istream& stream);

// The whole file; the old contents are replaced. Throws as fileSize, and
// "Read failed. " when fewer bytes than its size could be read.
void readFile(const Path& path, std::string& contents);
void readFile(const Path& path, DynamicBuffer& contents);

// Creates or truncates the file. Throws "Not found. " when it cannot be
// opened and "Write failed. " when the bytes do not all reach it.
void writeFile(const Path& path, const std::string& contents);
void writeFile(const Path& path, const Buffer& contents);

// Moves or renames a file, across file systems too. When the target is a
// readable file and replace is false nothing happens. Failure throws
// "Could not move to <to> (Windows System Error Code 0x<code>)" with the
// system's error number, naming the source.
void move(const Path& from, const Path& to, bool replace);

// Deletes a file; throws "Remove failed. ".
void remove(const Path& path);

// Opens a regular file as untranslated bytes; throws "Not found. ".
void openForReading(const Path& path, std::ifstream& stream);

// Lower-case hexadecimal digits without prefix or leading zeros ("0" for 0).
std::string hexText(std::uint32_t value);

} // namespace FileSystem
} // namespace TAVO
