#include "tests/book/book_samples.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstring>

#include "tests/support/temp_dir.h"

namespace tomeo::test {

std::string ReadSample(const std::string& relative) {
    return ReadFile(std::string(TOMEO_SOURCE_DIR) + "/tests/data/" + relative);
}

std::string Iconv(const std::string& text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from << " -> " << to;
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    char* pout = out.data();
    size_t in_left = text.size(), out_left = out.size();
    const size_t rc = iconv(cd, &in, &in_left, &pout, &out_left);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<size_t>(-1)) << "iconv " << from << " -> " << to;
    out.resize(out.size() - out_left);
    return out;
}

std::string Fb2As(const std::string& utf8_fb2, const char* declared, const char* iconv_name) {
    std::string text = utf8_fb2;
    const std::string from = "encoding=\"UTF-8\"";
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "the sample declares UTF-8";
    if (at != std::string::npos)
        text.replace(at, from.size(), "encoding=\"" + std::string(declared) + "\"");
    return Iconv(text, "UTF-8", iconv_name);
}

std::string W(const std::string& utf8) {
    return Iconv(utf8, "UTF-8", "CP1251");
}

std::int32_t ChoppySource::read(unsigned char* into, std::int32_t count) {
    ++reads_;
    if (fail_after_ >= 0 && position_ >= fail_after_) return -1;
    const std::int32_t left = static_cast<std::int32_t>(bytes_.size()) - position_;
    const std::int32_t n = std::min({count, step_, left});
    if (n <= 0) return 0;
    std::memcpy(into, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

}  // namespace tomeo::test
