#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/text/MatchRepeatConstants.h"

namespace TAVO {

template <class C>
class Match;

// The pattern engine over 8-bit characters. A grammar is a tree of pattern
// nodes built once and matched any number of times; a match is anchored at the
// start of the text, covers a prefix of it and is found by depth-first search
// with backtracking. Nodes may carry a capture id; after a match the text
// ranges covered by the nodes of an id are available through Captures.
//
// A matcher keeps a state tree that points into its pattern: the pattern must
// outlive the matcher (or at least its next run with another pattern).
template <>
class Match<char> {
public:
    // The capture id of a node that records nothing.
    static constexpr std::uint32_t noCapture = 0xFFFFFFFFu;

    // "Got <n> matches but expected <m> matches. "
    class UnexpectedNumberOfMatches : public Exception {
    public:
        UnexpectedNumberOfMatches(SourceLocation location, std::uint32_t got, std::uint32_t expected)
            : Exception(location), got_(got), expected_(expected) {}
        void print(std::ostream& out) const override;
        Exception* clone() const override { return new UnexpectedNumberOfMatches(*this); }
        std::uint32_t got() const { return got_; }
        std::uint32_t expected() const { return expected_; }

    private:
        std::uint32_t got_;
        std::uint32_t expected_;
    };

    class Pattern {
    public:
        // The progress of one match attempt over a node.
        class State {
        public:
            explicit State(std::uint32_t captureId) : captureId_(captureId) {}
            virtual ~State() = default;
            State(const State&) = delete;
            State& operator=(const State&) = delete;

            // Back to the first alternative.
            virtual void reset() = 0;
            // Characters covered by the current alternative.
            virtual std::uint32_t length() const = 0;
            // Advances to the next alternative matching a prefix of the text;
            // false when the node is exhausted (and on every later call until reset).
            virtual bool next(const char* text, std::uint32_t remaining) = 0;
            // The child states of the current alternative (none for leaves).
            virtual std::uint32_t childCount() const { return 0; }
            // Throws BoundException<unsigned int>(i, childCount()) when out of range.
            virtual State& child(std::uint32_t i);

            std::uint32_t captureId() const { return captureId_; }

        private:
            std::uint32_t captureId_;
        };

        explicit Pattern(std::uint32_t captureId = noCapture) : captureId_(captureId) {}
        virtual ~Pattern() = default;
        Pattern(const Pattern&) = delete;
        Pattern& operator=(const Pattern&) = delete;

        // A new state for this node, in its reset condition.
        virtual std::unique_ptr<State> createState() const = 0;

        std::uint32_t captureId() const { return captureId_; }

    private:
        std::uint32_t captureId_;
    };

    // A leaf covering exactly N characters (0 or 1) where its test holds; it
    // offers at most one alternative until reset.
    template <std::uint32_t N>
    class FixedLength : public Pattern {
    public:
        static_assert(N <= 1, "leaves cover zero or one character");

        class State : public Pattern::State {
        public:
            explicit State(const FixedLength& pattern) : Pattern::State(pattern.captureId()), pattern_(pattern) {}
            void reset() override { taken_ = false; }
            std::uint32_t length() const override { return N; }
            bool next(const char* text, std::uint32_t remaining) override {
                if (taken_ || remaining < N)
                    return false;
                if (!test(text, remaining))
                    return false;
                taken_ = true;
                return true;
            }
            // Does the leaf accept at this point of the text?
            virtual bool test(const char* text, std::uint32_t remaining) { return pattern_.accepts(text, remaining); }

        private:
            const FixedLength& pattern_;
            bool taken_ = false;
        };

        using Pattern::Pattern;
        std::unique_ptr<Pattern::State> createState() const override { return std::make_unique<State>(*this); }
        // The leaf's test; remaining is at least N.
        virtual bool accepts(const char* text, std::uint32_t remaining) const = 0;
    };

    // One character equal to the given one.
    class Symbol : public FixedLength<1> {
    public:
        explicit Symbol(char symbol, std::uint32_t captureId = noCapture);
        bool accepts(const char* text, std::uint32_t remaining) const override;

    private:
        char symbol_;
    };

    // One character of a set.
    class SymbolSet : public FixedLength<1> {
    public:
        SymbolSet(const char* symbols, std::uint32_t count, std::uint32_t captureId = noCapture);
        bool accepts(const char* text, std::uint32_t remaining) const override;

    private:
        std::set<signed char> symbols_;
    };

    // Any one character.
    class AnySymbol : public FixedLength<1> {
    public:
        using FixedLength<1>::FixedLength;
        bool accepts(const char*, std::uint32_t) const override { return true; }
    };

    // One character c with low <= c <= high, compared as signed 8-bit values
    // whatever the signedness of char.
    class Range : public FixedLength<1> {
    public:
        Range(char low, char high, std::uint32_t captureId = noCapture);
        bool accepts(const char* text, std::uint32_t remaining) const override;

    private:
        signed char low_;
        signed char high_;
    };

    // One character at a point where the owned pattern does not match. The owned
    // pattern may be of any kind; it is tried on the whole remaining text.
    class Anti : public FixedLength<1> {
    public:
        class State : public FixedLength<1>::State {
        public:
            explicit State(const Anti& pattern);
            bool test(const char* text, std::uint32_t remaining) override;

        private:
            std::unique_ptr<Pattern::State> inner_;
        };

        explicit Anti(std::unique_ptr<Pattern> pattern, std::uint32_t captureId = noCapture);
        std::unique_ptr<Pattern::State> createState() const override { return std::make_unique<State>(*this); }
        bool accepts(const char* text, std::uint32_t remaining) const override;

    private:
        std::unique_ptr<Pattern> pattern_;
    };

    // The empty text, only where no input remains.
    class End : public FixedLength<0> {
    public:
        using FixedLength<0>::FixedLength;
        bool accepts(const char*, std::uint32_t remaining) const override { return remaining == 0; }
    };

    // The empty text, anywhere.
    class Nothing : public FixedLength<0> {
    public:
        using FixedLength<0>::FixedLength;
        bool accepts(const char*, std::uint32_t) const override { return true; }
    };

    // Exactly a given character sequence (the pattern keeps its own copy).
    class Fixed : public Pattern {
    public:
        class State : public Pattern::State {
        public:
            explicit State(const Fixed& pattern) : Pattern::State(pattern.captureId()), text_(pattern.text_) {}
            void reset() override { taken_ = false; }
            std::uint32_t length() const override { return std::uint32_t(text_.size()); }
            bool next(const char* text, std::uint32_t remaining) override;

        private:
            const std::string& text_;
            bool taken_ = false;
        };

        Fixed(const char* text, std::uint32_t length, std::uint32_t captureId = noCapture);
        std::unique_ptr<Pattern::State> createState() const override { return std::make_unique<State>(*this); }

    private:
        std::string text_;
    };

    // A node with owned children, appended in order after construction.
    class Composite : public Pattern {
    public:
        using Pattern::Pattern;
        // Takes ownership of the child; returns this node so appends chain.
        Composite& append(std::unique_ptr<Pattern> child);
        std::uint32_t childCount() const { return std::uint32_t(children_.size()); }
        const Pattern& child(std::uint32_t i) const;

    protected:
        std::vector<std::unique_ptr<Pattern>> children_;
    };

    // Its children one after another.
    class Sequence : public Composite {
    public:
        class State : public Pattern::State {
        public:
            explicit State(const Sequence& pattern);
            void reset() override;
            std::uint32_t length() const override;
            bool next(const char* text, std::uint32_t remaining) override;
            std::uint32_t childCount() const override { return std::uint32_t(entries_.size()); }
            Pattern::State& child(std::uint32_t i) override;

        private:
            struct Entry {
                std::unique_ptr<Pattern::State> state;
                std::uint32_t offset;
            };
            std::vector<Entry> entries_;
            std::uint32_t index_ = 0;
            // For a sequence without children: the empty text was offered.
            bool emptyOffered_ = false;
        };

        using Composite::Composite;
        std::unique_ptr<Pattern::State> createState() const override { return std::make_unique<State>(*this); }
    };

    // One of its children, tried in the order they were appended.
    class Disjunction : public Composite {
    public:
        class State : public Pattern::State {
        public:
            explicit State(const Disjunction& pattern);
            void reset() override;
            std::uint32_t length() const override;
            bool next(const char* text, std::uint32_t remaining) override;
            std::uint32_t childCount() const override { return index_ < alternatives_.size() ? 1 : 0; }
            Pattern::State& child(std::uint32_t i) override;

        private:
            std::vector<std::unique_ptr<Pattern::State>> alternatives_;
            std::uint32_t index_ = 0;
        };

        using Composite::Composite;
        std::unique_ptr<Pattern::State> createState() const override { return std::make_unique<State>(*this); }
    };

    // From min to max consecutive matches of its child, greedy: most
    // repetitions first, zero repetitions last. A repetition beyond the minimum
    // never matches the empty text, so a child that can match empty cannot
    // make the search run forever.
    class Repeat : public Pattern, public MatchRepeatConstants {
    public:
        class State : public Pattern::State {
        public:
            explicit State(const Repeat& pattern);
            void reset() override;
            std::uint32_t length() const override;
            bool next(const char* text, std::uint32_t remaining) override;
            std::uint32_t childCount() const override { return std::uint32_t(stack_.size()); }
            Pattern::State& child(std::uint32_t i) override;

        private:
            struct Entry {
                std::unique_ptr<Pattern::State> state;
                std::uint32_t offset;
            };
            // Asks the repetition at stack position `index` for its next
            // acceptable alternative.
            bool advance(Entry& entry, std::size_t index, const char* text, std::uint32_t remaining);

            const Pattern& child_;
            std::uint32_t min_;
            std::uint32_t max_;
            std::vector<Entry> stack_;
            bool emptyOffered_ = false;
        };

        // Throws BoundException<unsigned int>(min, max) when min > max.
        Repeat(std::unique_ptr<Pattern> child, std::uint32_t min, std::uint32_t max,
               std::uint32_t captureId = noCapture);
        std::unique_ptr<Pattern::State> createState() const override { return std::make_unique<State>(*this); }

        const Pattern& child() const { return *child_; }
        std::uint32_t min() const { return min_; }
        std::uint32_t max() const { return max_; }

    private:
        std::unique_ptr<Pattern> child_;
        std::uint32_t min_;
        std::uint32_t max_;
    };

    // One captured range of the matched text.
    struct Capture {
        const char* begin;
        std::uint32_t length;
        // Entries on the walker's stack when the node was visited (1 for the root).
        std::uint32_t depth;
    };

    // A post-order walk over the state tree of a match, children left to right.
    class TreeWalker {
    public:
        struct Entry {
            Pattern::State* state;
            std::uint32_t nextChild;
            std::uint32_t position;
            std::uint32_t length;
        };

        TreeWalker(Pattern::State& root, const char* text);
        bool done() const { return stack_.empty(); }
        // The node being visited: all its children have been visited.
        const Entry& current() const { return stack_.back(); }
        std::uint32_t depth() const { return std::uint32_t(stack_.size()); }
        const char* text() const { return text_; }
        // Moves to the next node in post-order.
        void advance();

    private:
        void descend();

        std::deque<Entry> stack_;
        const char* text_;
    };

    // The captures of the last successful match of a matcher, collected on first use.
    class Captures {
    public:
        explicit Captures(const Match& matcher) : matcher_(matcher) {}

        // Walks the matched state tree once; later calls do nothing. After a
        // failed match nothing is recorded.
        void collect();
        // The captures of an id in walk order; an id that never occurred gives an empty list.
        const std::vector<Capture>& get(std::uint32_t id);
        // The one capture of an id; any other count throws UnexpectedNumberOfMatches(count, 1).
        const Capture& singleCapture(std::uint32_t id);

    private:
        const Match& matcher_;
        bool collected_ = false;
        std::map<std::uint32_t, std::vector<Capture>> captures_;
    };

    Match() = default;
    explicit Match(const Pattern& pattern) : pattern_(&pattern) {}
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    void setPattern(const Pattern& pattern) { pattern_ = &pattern; }
    const Pattern* pattern() const { return pattern_; }

    // Matches the pattern against a prefix of the text and returns matched().
    // Throws UninitializedException when no pattern was given.
    bool run(const char* text, std::uint32_t length);
    bool run(const Pattern& pattern, const char* text, std::uint32_t length);
    // Moves to the next alternative match of the same run.
    bool next();

    bool matched() const { return matched_; }
    // Characters covered by the current match (0 when nothing matched).
    std::uint32_t length() const;
    const char* text() const { return text_; }
    // The root of the state tree; null before the first run.
    Pattern::State* state() const { return state_.get(); }

private:
    const Pattern* pattern_ = nullptr;
    const Pattern* statePattern_ = nullptr;
    std::unique_ptr<Pattern::State> state_;
    const char* text_ = nullptr;
    std::uint32_t length_ = 0;
    bool matched_ = false;
};

} // namespace TAVO
