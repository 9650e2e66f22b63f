#include "foundation/text/ParameterParser.h"

#include <fstream>

#include "foundation/streams/CppInStream.h"
#include "foundation/streams/CppOutStream.h"
#include "foundation/streams/IncrementalBuffer.h"
#include "foundation/streams/ReadStream.h"
#include "foundation/text/ParameterLoadException.h"
#include "foundation/text/ParameterSaveException.h"
#include "foundation/text/Parameters.h"
#include "foundation/text/TextWriter.h"

namespace TAVO {

namespace {

using M = Match<char>;
constexpr std::uint32_t unbounded = MatchRepeatConstants::unbounded;

// Blank, tab, line feed, carriage return and the zero byte.
const char blankCharacters[] = {' ', '\t', '\n', '\r', '\0'};
constexpr std::uint32_t blankCount = sizeof blankCharacters;

std::unique_ptr<M::Pattern> lineBreak() {
    auto pattern = std::make_unique<M::Disjunction>();
    pattern->append(std::make_unique<M::Fixed>("\r\n", 2));
    pattern->append(std::make_unique<M::Symbol>('\n'));
    pattern->append(std::make_unique<M::Symbol>('\r'));
    return pattern;
}

std::unique_ptr<M::Pattern> contentPattern(std::uint32_t lineId) {
    auto line = std::make_unique<M::Repeat>(std::make_unique<M::Anti>(lineBreak()), 1, unbounded, lineId);
    auto lineEnd = std::make_unique<M::Disjunction>();
    lineEnd->append(lineBreak());
    lineEnd->append(std::make_unique<M::End>());
    auto terminatedLine = std::make_unique<M::Sequence>();
    terminatedLine->append(std::move(line));
    terminatedLine->append(std::move(lineEnd));
    auto item = std::make_unique<M::Disjunction>();
    item->append(lineBreak());
    item->append(std::move(terminatedLine));
    return std::make_unique<M::Repeat>(std::move(item), 0, unbounded);
}

std::unique_ptr<M::Pattern> statementPattern(std::uint32_t keyId, std::uint32_t valueId) {
    auto blanks = std::make_unique<M::Repeat>(std::make_unique<M::SymbolSet>(blankCharacters, blankCount), 0,
                                              unbounded);
    auto key = std::make_unique<M::Repeat>(std::make_unique<M::Anti>(std::make_unique<M::SymbolSet>("=#", 2)), 1,
                                           unbounded, keyId);
    auto value = std::make_unique<M::Repeat>(std::make_unique<M::Anti>(std::make_unique<M::Symbol>('#')), 0,
                                             unbounded, valueId);
    auto assignment = std::make_unique<M::Sequence>();
    assignment->append(std::move(key));
    assignment->append(std::make_unique<M::Symbol>('='));
    assignment->append(std::move(value));
    auto optionalAssignment = std::make_unique<M::Disjunction>();
    optionalAssignment->append(std::move(assignment));
    optionalAssignment->append(std::make_unique<M::Nothing>());

    auto comment = std::make_unique<M::Sequence>();
    comment->append(std::make_unique<M::Symbol>('#'));
    comment->append(std::make_unique<M::Repeat>(std::make_unique<M::AnySymbol>(), 0, unbounded));
    auto optionalComment = std::make_unique<M::Disjunction>();
    optionalComment->append(std::move(comment));
    optionalComment->append(std::make_unique<M::Nothing>());

    auto statement = std::make_unique<M::Sequence>();
    statement->append(std::move(blanks));
    statement->append(std::move(optionalAssignment));
    statement->append(std::move(optionalComment));
    statement->append(std::make_unique<M::End>());
    return statement;
}

bool isBlank(char c) {
    for (char blank : blankCharacters)
        if (c == blank)
            return true;
    return false;
}

bool hasOuterBlank(const std::string& text) { return !text.empty() && (isBlank(text.front()) || isBlank(text.back())); }

bool hasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// The text with line breaks, tabs and zero bytes made visible, for messages.
std::string visible(const std::string& text) {
    std::string result;
    for (char c : text) {
        switch (c) {
        case '\n': result += "\\n"; break;
        case '\r': result += "\\r"; break;
        case '\t': result += "\\t"; break;
        case '\0': result += "\\0"; break;
        default: result += c;
        }
    }
    return result;
}

// Why the entry would not load back as it is; empty when it would.
std::string unsavable(const std::string& key, const std::string& value) {
    if (key.empty())
        return "the key is empty";
    if (key.find('=') != std::string::npos)
        return "the key holds '='";
    if (key.find('#') != std::string::npos)
        return "the key holds '#'";
    if (hasLineBreak(key))
        return "the key holds a line break";
    if (hasOuterBlank(key))
        return "the key begins or ends with a blank";
    if (value.find('#') != std::string::npos)
        return "the value holds '#'";
    if (hasLineBreak(value))
        return "the value holds a line break";
    if (hasOuterBlank(value))
        return "the value begins or ends with a blank";
    return "";
}

} // namespace

ParameterParser::ParameterParser() : trim_(blankCharacters, blankCount, Trim<char>::both) {
    content_ = contentPattern(lineId_);
    statement_ = statementPattern(keyId_, valueId_);
}

std::string ParameterParser::trimmed(const Match<char>::Capture& capture) const {
    const char* begin = capture.begin;
    std::uint32_t length = capture.length;
    trim_.select(begin, length);
    return std::string(begin, length);
}

void ParameterParser::parseLine(const char* line, std::uint32_t length, Parameters& target) const {
    M matcher(*statement_);
    if (!matcher.run(line, length))
        throw ParameterLoadException(SourceLocation(),
                                     std::string(line, length) + " is not a valid parameter statement. ");
    M::Captures captures(matcher);
    const std::vector<M::Capture>& keys = captures.get(keyId_);
    const std::vector<M::Capture>& values = captures.get(valueId_);
    if (keys.size() != values.size())
        throw ParameterLoadException(SourceLocation(), "Number of keys does not match number of values. ");
    for (std::size_t i = 0; i < keys.size(); ++i)
        target.set(trimmed(keys[i]), trimmed(values[i]));
}

void ParameterParser::load(ReadStream& stream, Parameters& target, bool merge) const {
    IncrementalBuffer buffer;
    ReadStream::readToEnd(stream, buffer);
    const char* text = reinterpret_cast<const char*>(buffer.data());
    const std::uint32_t length = buffer.size();

    M matcher(*content_);
    if (!matcher.run(text, length) || matcher.length() != length)
        throw ParameterLoadException(SourceLocation(), "Content does not match parameter format. ");
    if (!merge)
        target.clear();
    M::Captures captures(matcher);
    for (const M::Capture& line : captures.get(lineId_))
        parseLine(line.begin, line.length, target);
}

void ParameterParser::load(const std::string& path, Parameters& target, bool merge) const {
    std::ifstream file(path, std::ios::in | std::ios::binary);
    CppInStream stream(file);
    load(stream, target, merge);
}

void ParameterParser::checkSavable(const Parameters& parameters) {
    for (const auto& [key, value] : parameters.map()) {
        const std::string reason = unsavable(key, value);
        if (!reason.empty())
            throw ParameterSaveException(SourceLocation(), "The parameter \"" + visible(key) + "\" with the value \"" +
                                                               visible(value) + "\" cannot be saved: " + reason +
                                                               ". ");
    }
}

void ParameterParser::save(WriteStream& stream, const Parameters& parameters) const {
    checkSavable(parameters);
    TextWriter writer(stream);
    for (const auto& [key, value] : parameters.map())
        writer << key << "=" << value << "\n";
}

void ParameterParser::save(const std::string& path, const Parameters& parameters) const {
    // Refused before the file is opened, so that its old content stays.
    checkSavable(parameters);
    std::ofstream file(path, std::ios::out | std::ios::binary | std::ios::trunc);
    CppOutStream stream(file);
    save(stream, parameters);
    stream.flush();
}

} // namespace TAVO
