#include "SessionLog.h"

#include <cstdio>

#include "foundation/streams/WriteStream.h"

namespace {

// Gathers an entry's text and prints it when the entry ends.
class Entry : public TAVO::Log::EntrySession {
public:
    explicit Entry(SessionLog& log) : log_(log), stream_(text_) {}
    ~Entry() override {
        while (!text_.empty() && (text_.back() == '\n' || text_.back() == ' '))
            text_.pop_back();
        for (char& c : text_)
            if (c == '\n' || c == '\r')
                c = ' ';
        try {
            log_.print("log " + text_);
        } catch (...) {
        }
    }
    TAVO::WriteStream& stream() override { return stream_; }

private:
    class Text : public TAVO::WriteStream {
    public:
        explicit Text(std::string& text) : text_(text) {}
        void write(const void* source, std::uint64_t count) override {
            text_.append(static_cast<const char*>(source), count);
        }

    private:
        std::string& text_;
    };

    SessionLog& log_;
    std::string text_;
    Text stream_;
};

} // namespace

std::shared_ptr<TAVO::Log::EntrySession> SessionLog::entry() { return std::make_shared<Entry>(*this); }

void SessionLog::print(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
