// The storage both program strings share: a NUL-terminated Windows-1251 text in an
// owned buffer whose capacity (the NUL included) grows exactly to what is needed and
// never shrinks. The length is not stored: it is counted anew where it is needed,
// which suits the short texts (names, paths, script lines) the program handles.
#pragma once

#include <cstdint>
#include <memory>

namespace tomeo {

class TextBuffer {
public:
    const char* c_str() const { return data_.get(); }
    char* data() { return data_.get(); }
    std::int32_t capacity() const { return capacity_; }
    std::int32_t length() const;
    bool is_empty() const { return data_[0] == '\0'; }

    // If the capacity is below n: reallocate to exactly n bytes, keeping the text.
    void reserve(std::int32_t n);
    void reserve_length(std::int32_t n) { reserve(n + 1); }

    void clear() { data_[0] = '\0'; }
    void assign(const char* text);
    void assign(const char* bytes, std::int32_t n);  // the source may overlap the text
    void assign(char c);
    void append(const char* text);
    void append(const char* bytes, std::int32_t n);
    void append(char c);
    // Appends n bytes to the text, whose length the caller knows. When the buffer must
    // grow it at least doubles, so that a text built by many small appends costs linear
    // time (the other operations grow it exactly to the size needed).
    void append_growing(std::int32_t length, const char* bytes, std::int32_t n);

    // Spaces (0x20 only, never tabs) at the start, the end, or both (right first).
    void trim_left();
    void trim_right();
    void trim();

protected:
    explicit TextBuffer(std::int32_t capacity);
    TextBuffer(const TextBuffer& other);
    TextBuffer& operator=(const TextBuffer& other);
    ~TextBuffer() = default;

    void append_decimal(std::int32_t value);

private:
    std::unique_ptr<char[]> data_;
    std::int32_t capacity_;
};

}  // namespace tomeo
