#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/text/Match.h"
#include "foundation/text/Trim.h"

namespace TAVO {

class Parameters;
class ReadStream;
class WriteStream;

// Reads and writes a Parameters store as a text file of "key = value" lines.
// Lines end with "\r\n", "\n" or "\r"; a line is optional blanks, an optional
// key '=' value, and an optional '#' comment. The key is one or more
// characters other than '=' and '#', the value runs to the first '#'; both are
// trimmed of blank, tab, line feed, carriage return and zero bytes.
//
// Build it once and reuse it; load and save keep no state between calls.
class ParameterParser {
public:
    ParameterParser();
    ParameterParser(const ParameterParser&) = delete;
    ParameterParser& operator=(const ParameterParser&) = delete;

    // Parses the whole stream into the target. Without merge the target is
    // emptied first; otherwise file values replace stored ones and other
    // entries stay. A later duplicate key wins. A line that is no statement
    // throws ParameterLoadException; the lines before it stay stored.
    void load(ReadStream& stream, Parameters& target, bool merge) const;
    // The same from a file; a file that cannot be read throws StreamException.
    void load(const std::string& path, Parameters& target, bool merge) const;

    // One "key=value\n" line per entry, in key order. An entry that would not
    // load back as it is throws ParameterSaveException before anything is
    // written: an empty key, a key or value holding '#' or a line break, a key
    // holding '=', a key or value beginning or ending with a blank (blank,
    // tab, line feed, carriage return, zero byte).
    void save(WriteStream& stream, const Parameters& parameters) const;
    // The same into a file, which is truncated only once every entry has
    // passed; a file that cannot be written throws StreamException.
    void save(const std::string& path, const Parameters& parameters) const;

private:
    static void checkSavable(const Parameters& parameters);
    void parseLine(const char* line, std::uint32_t length, Parameters& target) const;
    std::string trimmed(const Match<char>::Capture& capture) const;

    std::unique_ptr<Match<char>::Pattern> content_;
    std::uint32_t lineId_ = 0;
    std::unique_ptr<Match<char>::Pattern> statement_;
    std::uint32_t keyId_ = 1;
    std::uint32_t valueId_ = 0;
    // Selecting keeps no state, so one trim serves every call.
    mutable Trim<char> trim_;
};

} // namespace TAVO
