#include "foundation/text/Match.h"

#include <cstring>

#include "foundation/exceptions/BoundException.h"
#include "foundation/exceptions/UninitializedException.h"

namespace TAVO {

using M = Match<char>;

void M::UnexpectedNumberOfMatches::print(std::ostream& out) const {
    out << "Got " << got_ << " matches but expected " << expected_ << " matches. ";
}

M::Pattern::State& M::Pattern::State::child(std::uint32_t i) {
    throw BoundException<unsigned int>(SourceLocation(), i, childCount());
}

// Leaves ---------------------------------------------------------------------

M::Symbol::Symbol(char symbol, std::uint32_t captureId) : FixedLength<1>(captureId), symbol_(symbol) {}

bool M::Symbol::accepts(const char* text, std::uint32_t) const { return text[0] == symbol_; }

M::SymbolSet::SymbolSet(const char* symbols, std::uint32_t count, std::uint32_t captureId)
    : FixedLength<1>(captureId) {
    for (std::uint32_t i = 0; i < count; ++i)
        symbols_.insert(static_cast<signed char>(symbols[i]));
}

bool M::SymbolSet::accepts(const char* text, std::uint32_t) const {
    return symbols_.count(static_cast<signed char>(text[0])) != 0;
}

M::Range::Range(char low, char high, std::uint32_t captureId)
    : FixedLength<1>(captureId), low_(static_cast<signed char>(low)), high_(static_cast<signed char>(high)) {}

bool M::Range::accepts(const char* text, std::uint32_t) const {
    const signed char c = static_cast<signed char>(text[0]);
    return low_ <= c && c <= high_;
}

M::Anti::Anti(std::unique_ptr<Pattern> pattern, std::uint32_t captureId)
    : FixedLength<1>(captureId), pattern_(std::move(pattern)) {
    if (!pattern_)
        throw UninitializedException(SourceLocation(), "Anti pattern");
}

bool M::Anti::accepts(const char* text, std::uint32_t remaining) const {
    auto inner = pattern_->createState();
    return !inner->next(text, remaining);
}

M::Anti::State::State(const Anti& pattern) : FixedLength<1>::State(pattern), inner_(pattern.pattern_->createState()) {}

bool M::Anti::State::test(const char* text, std::uint32_t remaining) {
    inner_->reset();
    return !inner_->next(text, remaining);
}

M::Fixed::Fixed(const char* text, std::uint32_t length, std::uint32_t captureId)
    : Pattern(captureId), text_(text, length) {}

bool M::Fixed::State::next(const char* text, std::uint32_t remaining) {
    if (taken_ || remaining < text_.size())
        return false;
    if (!text_.empty() && std::memcmp(text, text_.data(), text_.size()) != 0)
        return false;
    taken_ = true;
    return true;
}

// Composites -----------------------------------------------------------------

M::Composite& M::Composite::append(std::unique_ptr<Pattern> child) {
    if (!child)
        throw UninitializedException(SourceLocation(), "child pattern");
    if (children_.size() >= 0xFFFFFFFFu)
        throw BoundException<unsigned int>(SourceLocation(), 0xFFFFFFFFu, 0xFFFFFFFEu);
    children_.push_back(std::move(child));
    return *this;
}

const M::Pattern& M::Composite::child(std::uint32_t i) const {
    if (i >= children_.size())
        throw BoundException<unsigned int>(SourceLocation(), i, childCount());
    return *children_[i];
}

M::Sequence::State::State(const Sequence& pattern) : Pattern::State(pattern.captureId()) {
    entries_.reserve(pattern.childCount());
    for (std::uint32_t i = 0; i < pattern.childCount(); ++i)
        entries_.push_back({pattern.child(i).createState(), 0});
}

void M::Sequence::State::reset() {
    index_ = 0;
    emptyOffered_ = false;
    if (!entries_.empty()) {
        entries_[0].offset = 0;
        entries_[0].state->reset();
    }
}

std::uint32_t M::Sequence::State::length() const {
    if (entries_.empty())
        return 0;
    // The children cover one run of text: the last child ends it.
    return entries_.back().offset + entries_.back().state->length();
}

bool M::Sequence::State::next(const char* text, std::uint32_t remaining) {
    const std::size_t count = entries_.size();
    if (count == 0) {
        // An empty sequence matches the empty text, once.
        if (emptyOffered_)
            return false;
        emptyOffered_ = true;
        return true;
    }
    if (index_ == count)
        index_ = std::uint32_t(count - 1);
    while (index_ < count) {
        Entry& entry = entries_[index_];
        if (entry.state->next(text + entry.offset, remaining - entry.offset)) {
            ++index_;
            if (index_ < count) {
                Entry& following = entries_[index_];
                following.offset = entry.offset + entry.state->length();
                following.state->reset();
            }
        } else {
            if (index_ == 0)
                return false;
            --index_;
        }
    }
    return true;
}

M::Pattern::State& M::Sequence::State::child(std::uint32_t i) {
    if (i >= entries_.size())
        throw BoundException<unsigned int>(SourceLocation(), i, childCount());
    return *entries_[i].state;
}

M::Disjunction::State::State(const Disjunction& pattern) : Pattern::State(pattern.captureId()) {
    alternatives_.reserve(pattern.childCount());
    for (std::uint32_t i = 0; i < pattern.childCount(); ++i)
        alternatives_.push_back(pattern.child(i).createState());
}

void M::Disjunction::State::reset() {
    index_ = 0;
    for (auto& alternative : alternatives_)
        alternative->reset();
}

std::uint32_t M::Disjunction::State::length() const {
    return index_ < alternatives_.size() ? alternatives_[index_]->length() : 0;
}

bool M::Disjunction::State::next(const char* text, std::uint32_t remaining) {
    while (index_ < alternatives_.size()) {
        if (alternatives_[index_]->next(text, remaining))
            return true;
        ++index_;
    }
    return false;
}

M::Pattern::State& M::Disjunction::State::child(std::uint32_t i) {
    if (i >= childCount())
        throw BoundException<unsigned int>(SourceLocation(), i, childCount());
    return *alternatives_[index_];
}

M::Repeat::Repeat(std::unique_ptr<Pattern> child, std::uint32_t min, std::uint32_t max, std::uint32_t captureId)
    : Pattern(captureId), child_(std::move(child)), min_(min), max_(max) {
    if (min > max)
        throw BoundException<unsigned int>(SourceLocation(), min, max);
    if (!child_)
        throw UninitializedException(SourceLocation(), "repeated pattern");
}

M::Repeat::State::State(const Repeat& pattern)
    : Pattern::State(pattern.captureId()), child_(pattern.child()), min_(pattern.min()), max_(pattern.max()) {
    reset();
}

void M::Repeat::State::reset() {
    stack_.clear();
    emptyOffered_ = false;
    if (max_ > 0)
        stack_.push_back({child_.createState(), 0});
}

std::uint32_t M::Repeat::State::length() const {
    if (stack_.empty())
        return 0;
    return stack_.back().offset + stack_.back().state->length();
}

bool M::Repeat::State::advance(Entry& entry, std::size_t index, const char* text, std::uint32_t remaining) {
    while (entry.state->next(text + entry.offset, remaining - entry.offset)) {
        // Repetitions up to the minimum may be empty; beyond it an empty
        // repetition adds nothing and could be repeated without end.
        if (entry.state->length() > 0 || index < min_)
            return true;
    }
    return false;
}

bool M::Repeat::State::next(const char* text, std::uint32_t remaining) {
    while (!stack_.empty()) {
        if (advance(stack_.back(), stack_.size() - 1, text, remaining)) {
            // Extend greedily.
            while (stack_.size() < max_) {
                const Entry& top = stack_.back();
                Entry added{child_.createState(), top.offset + top.state->length()};
                if (!advance(added, stack_.size(), text, remaining))
                    break;
                stack_.push_back(std::move(added));
            }
            if (stack_.size() >= min_)
                return true;
        } else {
            stack_.pop_back();
            if (!stack_.empty() && stack_.size() >= min_)
                return true;
        }
    }
    // Zero repetitions come last, offered once.
    if (min_ == 0 && !emptyOffered_) {
        emptyOffered_ = true;
        return true;
    }
    return false;
}

M::Pattern::State& M::Repeat::State::child(std::uint32_t i) {
    if (i >= stack_.size())
        throw BoundException<unsigned int>(SourceLocation(), i, childCount());
    return *stack_[i].state;
}

// Walking and captures -------------------------------------------------------

M::TreeWalker::TreeWalker(Pattern::State& root, const char* text) : text_(text) {
    stack_.push_back({&root, 0, 0, 0});
    descend();
}

void M::TreeWalker::descend() {
    for (;;) {
        Entry& top = stack_.back();
        if (top.nextChild >= top.state->childCount())
            break;
        Pattern::State& child = top.state->child(top.nextChild);
        stack_.push_back({&child, 0, top.position + top.length, 0});
    }
    Entry& top = stack_.back();
    if (top.state->childCount() == 0)
        top.length = top.state->length();
}

void M::TreeWalker::advance() {
    if (stack_.empty())
        return;
    const std::uint32_t finished = stack_.back().length;
    stack_.pop_back();
    if (stack_.empty())
        return;
    Entry& parent = stack_.back();
    parent.length += finished;
    ++parent.nextChild;
    descend();
}

void M::Captures::collect() {
    if (collected_)
        return;
    collected_ = true;
    if (!matcher_.matched() || matcher_.state() == nullptr)
        return;
    for (TreeWalker walker(*matcher_.state(), matcher_.text()); !walker.done(); walker.advance()) {
        const TreeWalker::Entry& entry = walker.current();
        const std::uint32_t id = entry.state->captureId();
        if (id != noCapture)
            captures_[id].push_back({walker.text() + entry.position, entry.length, walker.depth()});
    }
}

const std::vector<M::Capture>& M::Captures::get(std::uint32_t id) {
    static const std::vector<Capture> none;
    collect();
    const auto found = captures_.find(id);
    return found == captures_.end() ? none : found->second;
}

const M::Capture& M::Captures::singleCapture(std::uint32_t id) {
    const std::vector<Capture>& list = get(id);
    if (list.size() != 1)
        throw UnexpectedNumberOfMatches(SourceLocation(), std::uint32_t(list.size()), 1);
    return list.front();
}

// The matcher ----------------------------------------------------------------

bool M::run(const char* text, std::uint32_t length) {
    if (pattern_ == nullptr)
        throw UninitializedException(SourceLocation(), "Match pattern");
    if (state_ && statePattern_ == pattern_) {
        state_->reset();
    } else {
        state_.reset();
        state_ = pattern_->createState();
        statePattern_ = pattern_;
    }
    text_ = text;
    length_ = length;
    matched_ = state_->next(text, length);
    return matched_;
}

bool M::run(const Pattern& pattern, const char* text, std::uint32_t length) {
    pattern_ = &pattern;
    return run(text, length);
}

bool M::next() {
    if (!state_ || !matched_)
        return false;
    matched_ = state_->next(text_, length_);
    return matched_;
}

std::uint32_t M::length() const { return matched_ && state_ ? state_->length() : 0; }

} // namespace TAVO
