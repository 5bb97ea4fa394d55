// Walks the bytes of a study file with the two kinds of read the format uses:
// whole lines and comma-separated fields. Internal to the reader.
#pragma once

#include <QtGlobal>

#include <string_view>

namespace study {

// One field as it stands in the file, quotes removed; the bytes stay in the
// file's buffer until someone decodes them.
struct DvfField {
    std::string_view text;
};

class DvfCursor {
public:
    DvfCursor(const char* data, qsizetype size) : data_(data), size_(size) {}

    bool AtEnd() const { return pos_ >= size_; }

    // Offset of the next read in the file.
    qsizetype Position() const { return pos_; }

    // 1-based number of the line the next read starts on.
    qint64 Line() const { return line_; }

    // The rest of the current line without its end. False when the read starts
    // at the end of the file.
    bool ReadLine(std::string_view& line)
    {
        if (AtEnd())
            return false;
        const qsizetype start = pos_;
        while (pos_ < size_ && !IsLineEnd(data_[pos_]))
            ++pos_;
        line = std::string_view(data_ + start, static_cast<size_t>(pos_ - start));
        ConsumeLineEnd();
        return true;
    }

    // One field: blanks before it skipped, quotes removed, blanks after an
    // unquoted field dropped, its comma or line end consumed. False when the
    // read starts at the end of the file.
    bool ReadField(DvfField& field)
    {
        if (AtEnd())
            return false;
        while (pos_ < size_ && (data_[pos_] == ' ' || data_[pos_] == '\t'))
            ++pos_;
        if (pos_ < size_ && data_[pos_] == '"') {
            // A quoted field may hold commas, but never a line end: an unclosed
            // quote stops at the end of its line.
            const qsizetype start = ++pos_;
            while (pos_ < size_ && data_[pos_] != '"' && !IsLineEnd(data_[pos_]))
                ++pos_;
            field.text = std::string_view(data_ + start, static_cast<size_t>(pos_ - start));
            while (pos_ < size_ && data_[pos_] != ',' && !IsLineEnd(data_[pos_]))
                ++pos_;
        } else {
            const qsizetype start = pos_;
            while (pos_ < size_ && data_[pos_] != ',' && !IsLineEnd(data_[pos_]))
                ++pos_;
            qsizetype end = pos_;
            while (end > start && (data_[end - 1] == ' ' || data_[end - 1] == '\t'))
                --end;
            field.text = std::string_view(data_ + start, static_cast<size_t>(end - start));
        }
        if (pos_ < size_ && data_[pos_] == ',')
            ++pos_;
        else
            ConsumeLineEnd();
        return true;
    }

private:
    // Carriage return with line feed is what the studies are written with; a
    // lone line feed or a lone carriage return ends a line as well.
    static bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

    void ConsumeLineEnd()
    {
        if (pos_ < size_) {
            if (data_[pos_] == '\r' && pos_ + 1 < size_ && data_[pos_ + 1] == '\n')
                ++pos_;
            ++pos_;
        }
        // The last line counts as ended even without its line end, so a read
        // beyond it is reported on the line after.
        ++line_;
    }

    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
    qint64 line_ = 1;
};

} // namespace study
