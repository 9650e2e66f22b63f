#include "foundation/text/TextWrapper.h"

#include "foundation/exceptions/BoundException.h"
#include "foundation/text/TextWriter.h"

namespace TAVO {

TextWrapper::TextWrapper(TextWriter& writer, std::string indent, std::uint32_t width, std::uint32_t column)
    : writer_(writer), indent_(std::move(indent)), width_(width), column_(column) {
    // A line must hold at least one character after the indent, or cutting a
    // long word would never make progress.
    if (indent_.size() >= width_)
        throw BoundException<unsigned int>(SourceLocation(), std::uint32_t(indent_.size()), width_);
}

void TextWrapper::write(const std::string& text) {
    const std::uint64_t indentLength = indent_.size();
    if (indentLength + text.size() <= width_) {
        writeFitting(text);
        return;
    }
    // Never fits on one line: cut into pieces as long as the room left.
    std::size_t done = 0;
    while (done < text.size()) {
        if (column_ < indentLength) {
            writer_ << indent_.substr(column_);
            column_ = std::uint32_t(indentLength);
        }
        const std::size_t room = column_ < width_ ? width_ - column_ : width_ - indentLength;
        const std::size_t piece = std::min(room, text.size() - done);
        writeFitting(text.substr(done, piece));
        done += piece;
    }
}

void TextWrapper::writeFitting(const std::string& text) {
    const std::uint64_t indentLength = indent_.size();
    if (column_ < indentLength) {
        writer_ << indent_.substr(column_);
        column_ = std::uint32_t(indentLength);
    }
    if (std::uint64_t(column_) + text.size() > width_) {
        writer_ << TextWriter::LineEnd << indent_;
        column_ = std::uint32_t(indentLength);
    }
    writer_ << text;
    column_ += std::uint32_t(text.size());
}

void TextWrapper::writeWords(const std::string& text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = text.find(' ', start);
        if (blank == std::string::npos) {
            write(text.substr(start) + " ");
            return;
        }
        write(text.substr(start, blank - start) + " ");
        start = blank + 1;
    }
}

} // namespace TAVO
