#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/exceptions/BoundException.h"
#include "foundation/text/Match.h"
#include "support/Command.h"

using namespace TAVO;
using M = Match<char>;

namespace {

constexpr std::uint32_t unbounded = MatchRepeatConstants::unbounded;

template <class P, class... A>
std::unique_ptr<M::Pattern> make(A&&... arguments) {
    return std::make_unique<P>(std::forward<A>(arguments)...);
}

std::unique_ptr<M::Pattern> sequence(std::vector<std::unique_ptr<M::Pattern>> children,
                                     std::uint32_t id = M::noCapture) {
    auto node = std::make_unique<M::Sequence>(id);
    for (auto& child : children)
        node->append(std::move(child));
    return node;
}

std::unique_ptr<M::Pattern> disjunction(std::vector<std::unique_ptr<M::Pattern>> children,
                                        std::uint32_t id = M::noCapture) {
    auto node = std::make_unique<M::Disjunction>(id);
    for (auto& child : children)
        node->append(std::move(child));
    return node;
}

template <class... P>
std::vector<std::unique_ptr<M::Pattern>> list(P... patterns) {
    std::vector<std::unique_ptr<M::Pattern>> result;
    (result.push_back(std::move(patterns)), ...);
    return result;
}

// Every alternative the engine offers, in order, as match lengths.
std::vector<std::uint32_t> alternatives(const M::Pattern& pattern, const std::string& text,
                                        std::size_t limit = 1000000) {
    std::vector<std::uint32_t> lengths;
    M matcher(pattern);
    for (bool ok = matcher.run(text.data(), std::uint32_t(text.size())); ok && lengths.size() < limit;
         ok = matcher.next())
        lengths.push_back(matcher.length());
    return lengths;
}

std::string captured(const M::Capture& capture) { return std::string(capture.begin, capture.length); }

} // namespace

// Order of alternatives ------------------------------------------------------

TEST(MatchOrder, GreedyRepeatOffersEveryCountDownToZeroOnce) {
    M::Repeat repeat(make<M::Symbol>('a'), 0, unbounded);
    EXPECT_EQ(alternatives(repeat, "aaab"), (std::vector<std::uint32_t>{3, 2, 1, 0}));
}

TEST(MatchOrder, RepeatRespectsMinimumAndMaximum) {
    M::Repeat repeat(make<M::Symbol>('a'), 2, 3);
    EXPECT_EQ(alternatives(repeat, "aaaa"), (std::vector<std::uint32_t>{3, 2}));
    EXPECT_TRUE(alternatives(repeat, "ab").empty());
    M::Repeat none(make<M::Symbol>('a'), 0, 0);
    EXPECT_EQ(alternatives(none, "aaa"), (std::vector<std::uint32_t>{0}));
}

TEST(MatchOrder, SequenceBacktracksIntoGreedyRepeat) {
    auto pattern = sequence(list(make<M::Repeat>(make<M::AnySymbol>(), 0, unbounded), make<M::Symbol>('=')));
    EXPECT_EQ(alternatives(*pattern, "a=b=c"), (std::vector<std::uint32_t>{4, 2}));
}

TEST(MatchOrder, DisjunctionTriesAlternativesInOrder) {
    auto pattern = disjunction(list(make<M::Fixed>("\r\n", 2), make<M::Symbol>('\n'), make<M::Symbol>('\r')));
    EXPECT_EQ(alternatives(*pattern, "\r\n"), (std::vector<std::uint32_t>{2, 1}));
}

TEST(MatchOrder, DisjunctionInsideSequenceIsRetriedAfterBacktracking) {
    // (a|ab|abc) (c|bc|x): every combination that matches, in depth-first order.
    auto pattern = sequence(list(disjunction(list(make<M::Fixed>("a", 1), make<M::Fixed>("ab", 2), make<M::Fixed>("abc", 3))),
                                 disjunction(list(make<M::Fixed>("c", 1), make<M::Fixed>("bc", 2), make<M::Fixed>("x", 1)))));
    EXPECT_EQ(alternatives(*pattern, "abcx"), (std::vector<std::uint32_t>{3, 3, 4}));
    // Run again with the same matcher: the reused state must start afresh.
    M matcher(*pattern);
    ASSERT_TRUE(matcher.run("abcx", 4));
    ASSERT_TRUE(matcher.next());
    ASSERT_TRUE(matcher.run("abx", 3));
    EXPECT_EQ(matcher.length(), 3u);
}

TEST(MatchOrder, RepeatBacktracksInnerAlternativesBeforeDroppingCount) {
    // (a|ab)* on "ab": one repetition 'a', one repetition 'ab', then none.
    M::Repeat repeat(disjunction(list(make<M::Fixed>("a", 1), make<M::Fixed>("ab", 2))), 0, unbounded);
    EXPECT_EQ(alternatives(repeat, "ab"), (std::vector<std::uint32_t>{1, 2, 0}));
    // (a|ab){2} on "abab": needs the second alternative of the first repetition.
    M::Repeat two(disjunction(list(make<M::Fixed>("a", 1), make<M::Fixed>("ab", 2))), 2, 2);
    EXPECT_EQ(alternatives(two, "abab"), (std::vector<std::uint32_t>{3, 4}));
}

TEST(MatchOrder, ExhaustedMatcherStaysExhausted) {
    M::Symbol symbol('a');
    M matcher(symbol);
    EXPECT_TRUE(matcher.run("a", 1));
    EXPECT_FALSE(matcher.next());
    EXPECT_FALSE(matcher.next());
    EXPECT_EQ(matcher.length(), 0u);
}

// Leaves ---------------------------------------------------------------------

TEST(MatchLeaves, AnchoredPrefixAndEnd) {
    M::Symbol a('a');
    EXPECT_EQ(alternatives(a, "ab"), (std::vector<std::uint32_t>{1}));
    EXPECT_TRUE(alternatives(a, "ba").empty());
    EXPECT_TRUE(alternatives(a, "").empty());
    M::End end;
    EXPECT_EQ(alternatives(end, ""), (std::vector<std::uint32_t>{0}));
    EXPECT_TRUE(alternatives(end, "x").empty());
    M::Nothing nothing;
    EXPECT_EQ(alternatives(nothing, "x"), (std::vector<std::uint32_t>{0}));
}

TEST(MatchLeaves, AntiOverSetAndOverSequence) {
    M::Anti anti(make<M::SymbolSet>("=#", 2));
    EXPECT_EQ(alternatives(anti, "x"), (std::vector<std::uint32_t>{1}));
    EXPECT_TRUE(alternatives(anti, "=").empty());
    EXPECT_TRUE(alternatives(anti, "#").empty());
    EXPECT_TRUE(alternatives(anti, "").empty());
    // An inner pattern longer than one character is tried on the whole rest.
    M::Anti notCrLf(make<M::Fixed>("\r\n", 2));
    EXPECT_TRUE(alternatives(notCrLf, "\r\n").empty());
    EXPECT_EQ(alternatives(notCrLf, "\rx"), (std::vector<std::uint32_t>{1}));
}

TEST(MatchLeaves, RangeAndSetCompareAsSignedBytes) {
    // 0xE9 is below ' ' as a signed byte, whatever char's signedness.
    M::Range range(char(0x80), 'z');
    EXPECT_EQ(alternatives(range, "\xE9").size(), 1u);
    EXPECT_EQ(alternatives(range, "a").size(), 1u);
    EXPECT_TRUE(alternatives(range, "\x7F").empty());
    M::Range printable(' ', '~');
    EXPECT_TRUE(alternatives(printable, "\xE9").empty());
    M::SymbolSet set("\xE9\0", 2);
    EXPECT_EQ(alternatives(set, std::string("\0", 1)).size(), 1u);
    EXPECT_EQ(alternatives(set, "\xE9").size(), 1u);
    EXPECT_TRUE(alternatives(set, "e").empty());
}

TEST(MatchLeaves, FixedNeedsEveryCharacter) {
    M::Fixed fixed("abc", 3);
    EXPECT_EQ(alternatives(fixed, "abcd"), (std::vector<std::uint32_t>{3}));
    EXPECT_TRUE(alternatives(fixed, "ab").empty());
    EXPECT_TRUE(alternatives(fixed, "abd").empty());
}

// Construction and robustness -------------------------------------------------

TEST(MatchBuild, RepeatWithMinAboveMaxThrows) {
    try {
        M::Repeat repeat(make<M::Symbol>('a'), 3, 2);
        FAIL();
    } catch (const BoundException<unsigned int>& e) {
        EXPECT_EQ(e.value(), 3u);
        EXPECT_EQ(e.bound(), 2u);
    }
}

TEST(MatchBuild, ChildOutOfRangeThrows) {
    M::Symbol a('a');
    M matcher(a);
    ASSERT_TRUE(matcher.run("a", 1));
    EXPECT_THROW(matcher.state()->child(0), BoundException<unsigned int>);
    auto pattern = sequence(list(make<M::Symbol>('a'), make<M::Symbol>('b')));
    M second(*pattern);
    ASSERT_TRUE(second.run("ab", 2));
    EXPECT_NO_THROW(second.state()->child(1));
    EXPECT_THROW(second.state()->child(2), BoundException<unsigned int>);
}

TEST(MatchBuild, RepeatOfEmptyMatchingChildEnds) {
    // (a?)* and (a*)*: each repetition beyond the minimum must advance.
    M::Repeat optional(make<M::Repeat>(make<M::Symbol>('a'), 0, 1), 0, unbounded);
    EXPECT_EQ(alternatives(optional, "aab").front(), 2u);
    EXPECT_EQ(alternatives(optional, "b"), (std::vector<std::uint32_t>{0}));
    M::Repeat nested(make<M::Repeat>(make<M::Symbol>('a'), 0, unbounded), 0, unbounded);
    EXPECT_EQ(alternatives(nested, "aaa").front(), 3u);
    // Empty repetitions still count towards a minimum.
    M::Repeat required(make<M::Nothing>(), 3, unbounded);
    EXPECT_EQ(alternatives(required, "x"), (std::vector<std::uint32_t>{0}));
}

TEST(MatchBuild, EmptySequenceMatchesTheEmptyTextOnce) {
    M::Sequence empty;
    EXPECT_EQ(alternatives(empty, "abc"), (std::vector<std::uint32_t>{0}));
}

TEST(MatchBuild, RunWithoutPatternThrows) {
    M matcher;
    EXPECT_THROW(matcher.run("a", 1), Exception);
}

// Captures ---------------------------------------------------------------------

TEST(MatchCaptures, IdsCollectInTextOrder) {
    // ([a-z]+)=([0-9]*) with ids 1 and 2, letters individually id 3.
    auto pattern = sequence(list(make<M::Repeat>(make<M::Range>('a', 'z', 3), 1, unbounded, 1), make<M::Symbol>('='),
                                 make<M::Repeat>(make<M::Range>('0', '9'), 0, unbounded, 2)));
    M matcher(*pattern);
    const std::string text = "key=42;";
    ASSERT_TRUE(matcher.run(text.data(), std::uint32_t(text.size())));
    M::Captures captures(matcher);
    EXPECT_EQ(captured(captures.singleCapture(1)), "key");
    EXPECT_EQ(captured(captures.singleCapture(2)), "42");
    const auto& letters = captures.get(3);
    ASSERT_EQ(letters.size(), 3u);
    EXPECT_EQ(captured(letters[0]), "k");
    EXPECT_EQ(captured(letters[2]), "y");
    // Root depth 1, the repeat 2, each letter 3.
    EXPECT_EQ(captures.singleCapture(1).depth, 2u);
    EXPECT_EQ(letters[0].depth, 3u);
    EXPECT_TRUE(captures.get(9).empty());
}

TEST(MatchCaptures, EmptyRepeatCapturesEmptyText) {
    auto pattern = sequence(list(make<M::Symbol>('a'), make<M::Repeat>(make<M::Symbol>('b'), 0, unbounded, 5)));
    M matcher(*pattern);
    ASSERT_TRUE(matcher.run("ac", 2));
    M::Captures captures(matcher);
    const M::Capture& empty = captures.singleCapture(5);
    EXPECT_EQ(empty.length, 0u);
    EXPECT_EQ(empty.begin, matcher.text() + 1);
}

TEST(MatchCaptures, OnlyTheChosenAlternativeIsCaptured) {
    auto pattern = disjunction(list(make<M::Fixed>("ab", 2, 1), make<M::Fixed>("a", 1, 2)));
    M matcher(*pattern);
    ASSERT_TRUE(matcher.run("ac", 2));
    M::Captures captures(matcher);
    EXPECT_TRUE(captures.get(1).empty());
    EXPECT_EQ(captures.get(2).size(), 1u);
}

TEST(MatchCaptures, SingleCaptureCountsOtherThanOneThrow) {
    auto pattern = sequence(list(make<M::Symbol>('a', 7), make<M::Symbol>('a', 7)));
    M matcher(*pattern);
    ASSERT_TRUE(matcher.run("aa", 2));
    M::Captures captures(matcher);
    try {
        captures.singleCapture(7);
        FAIL();
    } catch (const M::UnexpectedNumberOfMatches& e) {
        EXPECT_EQ(e.got(), 2u);
        EXPECT_EQ(e.expected(), 1u);
    }
    try {
        captures.singleCapture(8);
        FAIL();
    } catch (const M::UnexpectedNumberOfMatches& e) {
        EXPECT_EQ(e.message(), "Got 0 matches but expected 1 matches. ");
    }
}

TEST(MatchCaptures, FailedMatchRecordsNothing) {
    M::Symbol a('a', 1);
    M matcher(a);
    ASSERT_FALSE(matcher.run("b", 1));
    M::Captures captures(matcher);
    EXPECT_TRUE(captures.get(1).empty());
}

// Differential tests -------------------------------------------------------------
//
// Random grammars over the letters a, b, c are matched by the engine, by a
// continuation-passing backtracker written here (which lists every alternative
// in order), and by Python's re (first match only).

namespace {

struct Node {
    enum Kind { Symbol, Set, Any, Range, Anti, End, Nothing, Fixed, Sequence, Disjunction, Repeat } kind;
    std::string text; // symbol, set, range bounds, fixed text
    std::uint32_t min = 0, max = 0;
    std::vector<Node> children;
};

bool nullable(const Node& node) {
    switch (node.kind) {
    case Node::End:
    case Node::Nothing:
        return true;
    case Node::Fixed:
        return node.text.empty();
    case Node::Sequence:
        for (const Node& c : node.children)
            if (!nullable(c))
                return false;
        return true;
    case Node::Disjunction:
        for (const Node& c : node.children)
            if (nullable(c))
                return true;
        return false;
    case Node::Repeat:
        return node.min == 0 || nullable(node.children[0]);
    default:
        return false;
    }
}

class GrammarMaker {
public:
    explicit GrammarMaker(std::uint32_t seed) : random_(seed) {}

    Node make(int depth) {
        const int pick = int(random_() % (depth <= 0 ? 8 : 11));
        Node node{Node::Kind(pick), {}, 0, 0, {}};
        switch (node.kind) {
        case Node::Symbol:
            node.text = letter();
            break;
        case Node::Set:
            node.text = letter() + letter();
            break;
        case Node::Range:
            node.text = "ab";
            if (random_() % 2)
                node.text = "bc";
            break;
        case Node::Anti:
            node.children.push_back(make(depth - 1));
            break;
        case Node::Fixed:
            node.text = letter();
            for (std::uint32_t n = random_() % 3; n > 0; --n)
                node.text += letter();
            break;
        case Node::Sequence:
        case Node::Disjunction:
            for (std::uint32_t n = 1 + random_() % 3; n > 0; --n)
                node.children.push_back(make(depth - 1));
            break;
        case Node::Repeat: {
            Node child = make(depth - 1);
            while (nullable(child))
                child = make(depth - 1);
            node.children.push_back(std::move(child));
            node.min = random_() % 3;
            node.max = random_() % 3 == 0 ? unbounded : node.min + random_() % 3;
            break;
        }
        default:
            break;
        }
        return node;
    }

    std::string text() {
        std::string t;
        for (std::uint32_t n = random_() % 9; n > 0; --n)
            t += letter();
        return t;
    }

private:
    std::string letter() { return std::string(1, char('a' + random_() % 3)); }
    std::mt19937 random_;
};

std::unique_ptr<M::Pattern> build(const Node& node) {
    switch (node.kind) {
    case Node::Symbol:
        return make<M::Symbol>(node.text[0]);
    case Node::Set:
        return make<M::SymbolSet>(node.text.data(), std::uint32_t(node.text.size()));
    case Node::Any:
        return make<M::AnySymbol>();
    case Node::Range:
        return make<M::Range>(node.text[0], node.text[1]);
    case Node::Anti:
        return make<M::Anti>(build(node.children[0]));
    case Node::End:
        return make<M::End>();
    case Node::Nothing:
        return make<M::Nothing>();
    case Node::Fixed:
        return make<M::Fixed>(node.text.data(), std::uint32_t(node.text.size()));
    case Node::Sequence:
    case Node::Disjunction: {
        std::unique_ptr<M::Composite> composite;
        if (node.kind == Node::Sequence)
            composite = std::make_unique<M::Sequence>();
        else
            composite = std::make_unique<M::Disjunction>();
        for (const Node& c : node.children)
            composite->append(build(c));
        return composite;
    }
    case Node::Repeat:
        return make<M::Repeat>(build(node.children[0]), node.min, node.max);
    }
    return nullptr;
}

std::string regex(const Node& node) {
    switch (node.kind) {
    case Node::Symbol:
    case Node::Fixed:
        return node.text;
    case Node::Set:
        return "[" + node.text + "]";
    case Node::Any:
        return ".";
    case Node::Range:
        return std::string("[") + node.text[0] + "-" + node.text[1] + "]";
    case Node::Anti:
        return "(?:(?!" + regex(node.children[0]) + ").)";
    case Node::End:
        return "\\Z";
    case Node::Nothing:
        return "(?:)";
    case Node::Sequence: {
        std::string r = "(?:";
        for (const Node& c : node.children)
            r += regex(c);
        return r + ")";
    }
    case Node::Disjunction: {
        std::string r = "(?:";
        for (std::size_t i = 0; i < node.children.size(); ++i)
            r += (i ? "|" : "") + regex(node.children[i]);
        return r + ")";
    }
    case Node::Repeat:
        return "(?:" + regex(node.children[0]) + "){" + std::to_string(node.min) + "," +
               (node.max == unbounded ? std::string() : std::to_string(node.max)) + "}";
    }
    return "";
}

using Continuation = std::function<void(std::size_t)>;

// Calls k with the end position of every way the node matches at pos, in the
// engine's order of preference.
void reference(const Node& node, const std::string& text, std::size_t pos, const Continuation& k) {
    const std::size_t rest = text.size() - pos;
    switch (node.kind) {
    case Node::Symbol:
        if (rest >= 1 && text[pos] == node.text[0])
            k(pos + 1);
        return;
    case Node::Set:
        if (rest >= 1 && node.text.find(text[pos]) != std::string::npos)
            k(pos + 1);
        return;
    case Node::Any:
        if (rest >= 1)
            k(pos + 1);
        return;
    case Node::Range:
        if (rest >= 1 && node.text[0] <= text[pos] && text[pos] <= node.text[1])
            k(pos + 1);
        return;
    case Node::Anti: {
        if (rest < 1)
            return;
        bool inner = false;
        reference(node.children[0], text, pos, [&](std::size_t) { inner = true; });
        if (!inner)
            k(pos + 1);
        return;
    }
    case Node::End:
        if (rest == 0)
            k(pos);
        return;
    case Node::Nothing:
        k(pos);
        return;
    case Node::Fixed:
        if (text.compare(pos, node.text.size(), node.text) == 0 && rest >= node.text.size())
            k(pos + node.text.size());
        return;
    case Node::Sequence: {
        std::function<void(std::size_t, std::size_t)> step = [&](std::size_t i, std::size_t at) {
            if (i == node.children.size()) {
                k(at);
                return;
            }
            reference(node.children[i], text, at, [&, i](std::size_t next) { step(i + 1, next); });
        };
        step(0, pos);
        return;
    }
    case Node::Disjunction:
        for (const Node& c : node.children)
            reference(c, text, pos, k);
        return;
    case Node::Repeat: {
        std::function<void(std::uint32_t, std::size_t)> repeat = [&](std::uint32_t count, std::size_t at) {
            if (count < node.max)
                reference(node.children[0], text, at, [&, count](std::size_t next) { repeat(count + 1, next); });
            if (count >= node.min)
                k(at);
        };
        repeat(0, pos);
        return;
    }
    }
}

std::vector<std::uint32_t> referenceAlternatives(const Node& node, const std::string& text) {
    std::vector<std::uint32_t> lengths;
    reference(node, text, 0, [&](std::size_t end) { lengths.push_back(std::uint32_t(end)); });
    return lengths;
}

} // namespace

TEST(MatchDifferential, EveryAlternativeAgreesWithBacktrackingReference) {
    GrammarMaker maker(20240611);
    for (int round = 0; round < 3000; ++round) {
        const Node grammar = maker.make(4);
        const auto pattern = build(grammar);
        for (int t = 0; t < 4; ++t) {
            const std::string text = maker.text();
            ASSERT_EQ(alternatives(*pattern, text), referenceAlternatives(grammar, text))
                << "grammar " << regex(grammar) << " text " << text;
        }
    }
}

TEST(MatchDifferential, FirstMatchAgreesWithPythonRe) {
    if (!KestruneTest::Command::available("python3"))
        GTEST_SKIP() << "python3 is not available";
    GrammarMaker maker(77);
    std::vector<std::string> regexes, texts;
    std::vector<long> ours;
    for (int round = 0; round < 3000; ++round) {
        const Node grammar = maker.make(4);
        const auto pattern = build(grammar);
        const std::string text = maker.text();
        M matcher(*pattern);
        ours.push_back(matcher.run(text.data(), std::uint32_t(text.size())) ? long(matcher.length()) : -1);
        regexes.push_back(regex(grammar));
        texts.push_back(text);
    }
    std::ostringstream program;
    program << "import re\ncases = [\n";
    for (std::size_t i = 0; i < regexes.size(); ++i)
        program << "  (r'" << regexes[i] << "', '" << texts[i] << "'),\n";
    program << "]\nfor r, t in cases:\n"
               "    m = re.match(r, t, re.DOTALL)\n"
               "    print(m.end() if m else -1)\n";
    const auto result = KestruneTest::Command::python(program.str());
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::istringstream lines(result.output);
    for (std::size_t i = 0; i < ours.size(); ++i) {
        long expected = -2;
        ASSERT_TRUE(lines >> expected);
        EXPECT_EQ(ours[i], expected) << "grammar " << regexes[i] << " text " << texts[i];
    }
}
