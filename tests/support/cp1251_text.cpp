#include "tests/support/cp1251_text.h"

#include <gtest/gtest.h>

#include "core/charset.h"

namespace tomeo::test {

std::string W(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(utf8_to_cp1251(utf8, out)) << utf8;
    return out;
}

}  // namespace tomeo::test
