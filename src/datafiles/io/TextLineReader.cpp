#include "datafiles/io/TextLineReader.h"

#include <vector>

namespace tavrel {

struct TextLineReader::Impl {
    explicit Impl(ByteSource& s) : source(s) {}

    // Makes sure a byte is available at pos; false at the end of the file.
    bool Available() {
        if (pos < buffer.size())
            return true;
        if (fileEnd)
            return false;
        buffer.resize(64 * 1024);
        const std::size_t n = source.ReadAt(offset, buffer.data(), buffer.size());
        offset += static_cast<std::int64_t>(n);
        buffer.resize(n);
        pos = 0;
        if (n == 0)
            fileEnd = true;
        return n != 0;
    }

    // The end of the text: the end of the file or the byte 0x1A.
    bool AtEnd() {
        if (textEnd)
            return true;
        if (!Available() || buffer[pos] == 0x1A)
            textEnd = true;
        return textEnd;
    }

    ByteSource& source;
    std::vector<char> buffer;
    std::size_t pos = 0;
    std::int64_t offset = 0;
    bool fileEnd = false;
    bool textEnd = false;
    std::size_t limit = std::string::npos;
    bool tooLong = false;
};

TextLineReader::TextLineReader(ByteSource& source) : impl_(new Impl(source)) {}

TextLineReader::~TextLineReader() {
    delete impl_;
}

bool TextLineReader::AtEnd() const {
    return impl_->AtEnd();
}

std::string TextLineReader::ReadLine() {
    Impl& r = *impl_;
    std::string line;
    while (!r.AtEnd()) {
        const char c = r.buffer[r.pos++];
        if (c == '\r') {
            if (r.Available() && r.buffer[r.pos] == '\n')
                ++r.pos;
            break;
        }
        if (line.size() >= r.limit) {
            r.tooLong = true;
            r.textEnd = true;
            break;
        }
        line += c;
    }
    return line;
}

void TextLineReader::LimitLineLength(std::size_t maxBytes) {
    impl_->limit = maxBytes;
}

bool TextLineReader::LineTooLong() const {
    return impl_->tooLong;
}

} // namespace tavrel
