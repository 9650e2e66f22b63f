#include <gtest/gtest.h>

#include <string>

#include "foundation/exceptions/BoundException.h"
#include "foundation/text/Match.h"
#include "foundation/text/StopMatch.h"
#include "foundation/text/Trim.h"

using namespace TAVO;
using M = Match<char>;

namespace {

const char whiteSpace[] = {' ', '\t', '\n', '\r'};

std::unique_ptr<M::Pattern> whiteSpaceRun() {
    return std::make_unique<M::Repeat>(std::make_unique<M::SymbolSet>(whiteSpace, 4), 1,
                                       MatchRepeatConstants::unbounded);
}

std::string inPlace(Filter<char>& filter, std::string text) {
    char* begin = text.data();
    std::uint32_t length = std::uint32_t(text.size());
    filter.filter(begin, length);
    return std::string(begin, length);
}

// Removal of every stretch of white space, written plainly.
std::string withoutWhiteSpace(const std::string& text) {
    std::string result;
    for (char c : text)
        if (std::string(" \t\n\r").find(c) == std::string::npos)
            result += c;
    return result;
}

} // namespace

TEST(Trim, BothEnds) {
    Trim<char> trim(whiteSpace, 4, Trim<char>::both);
    EXPECT_EQ(trim.apply("  key \t"), "key");
    EXPECT_EQ(trim.apply("   "), "");
    EXPECT_EQ(trim.apply(""), "");
    EXPECT_EQ(trim.apply("a b"), "a b");
    EXPECT_EQ(inPlace(trim, "\r\nkey value\n"), "key value");
}

TEST(Trim, OneEnd) {
    Trim<char> start(whiteSpace, 4, Trim<char>::start);
    Trim<char> end(whiteSpace, 4, Trim<char>::end);
    EXPECT_EQ(start.apply("  a  "), "a  ");
    EXPECT_EQ(end.apply("  a  "), "  a");
    EXPECT_EQ(end.apply(" \t "), "");
}

TEST(Trim, UnknownModeThrows) { EXPECT_THROW(Trim<char>(whiteSpace, 4, 3), BoundException<unsigned int>); }

TEST(StopMatch, RemovesEveryMatchBothForms) {
    StopMatch<char> stop(whiteSpaceRun());
    const std::string samples[] = {"", " ", "a", " a b\t\nc ", "\r\n 1, 2 ;\t3 ", "abc", "  lead", "trail  "};
    for (const std::string& sample : samples) {
        EXPECT_EQ(stop.apply(sample), withoutWhiteSpace(sample)) << sample;
        EXPECT_EQ(inPlace(stop, sample), withoutWhiteSpace(sample)) << sample;
    }
}

TEST(StopMatch, MultiCharacterPatternIsRemovedWhereItStarts) {
    StopMatch<char> stop(std::make_unique<M::Fixed>("ab", 2));
    EXPECT_EQ(stop.apply("aabbab"), "ab");
    EXPECT_EQ(inPlace(stop, "ababxab"), "x");
}

TEST(StopMatch, EmptyMatchesDoNotStall) {
    // A pattern that can match the empty text removes only what it covers.
    StopMatch<char> stop(std::make_unique<M::Repeat>(std::make_unique<M::Symbol>(' '), 0, 5));
    EXPECT_EQ(stop.apply("a  b"), "ab");
    EXPECT_EQ(inPlace(stop, "xyz"), "xyz");
}
