#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/streams/WriteStream.h"
#include "foundation/text/Text.h"
#include "foundation/threads/Log.h"

namespace KestruneTest {

// A log that keeps its entries in memory, one line each, from every thread
// in the order they end.
class MemoryLog : public TAVO::Log {
public:
    std::shared_ptr<EntrySession> entry() override { return std::make_shared<Session>(*this); }

    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    // Whether a line holds the text.
    bool has(const std::string& text) {
        for (const std::string& line : lines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    // The lines that are not one printable line: those Text::printable
    // would change (an exception logger's entry keeps its closing line feed).
    std::vector<std::string> unprintable() {
        std::vector<std::string> found;
        for (const std::string& line : lines()) {
            const std::string text = !line.empty() && line.back() == '\n' ? line.substr(0, line.size() - 1) : line;
            if (TAVO::Text::printable(text) != text)
                found.push_back(line);
        }
        return found;
    }

private:
    class Session : public EntrySession, public TAVO::WriteStream {
    public:
        explicit Session(MemoryLog& log) : log_(log) {}
        ~Session() override {
            std::lock_guard<std::mutex> lock(log_.mutex_);
            log_.lines_.push_back(text_);
        }
        TAVO::WriteStream& stream() override { return *this; }
        void write(const void* source, std::uint64_t count) override {
            text_.append(static_cast<const char*>(source), std::size_t(count));
        }

    private:
        MemoryLog& log_;
        std::string text_;
    };

    std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace KestruneTest
