#include "model/HeldLines.h"

#include "foundation/streams/WriteStream.h"

class HeldLines::Session : public EntrySession, public TAVO::WriteStream {
public:
    explicit Session(std::vector<std::string>& lines) : lines_(lines) {}
    ~Session() override { lines_.push_back(std::move(text_)); }
    TAVO::WriteStream& stream() override { return *this; }
    void write(const void* source, std::uint64_t count) override {
        text_.append(static_cast<const char*>(source), std::size_t(count));
    }

private:
    std::vector<std::string>& lines_;
    std::string text_;
};

std::shared_ptr<TAVO::Log::EntrySession> HeldLines::entry() { return std::make_shared<Session>(lines_); }

void HeldLines::passOn(TAVO::Log& log) {
    for (const std::string& line : lines_)
        TAVO::Log::line(log.entry()) << line;
    lines_.clear();
}
