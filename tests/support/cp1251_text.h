// Test texts are written in UTF-8; the program works on their Windows-1251 form.
#pragma once

#include <string>

namespace tomeo::test {

// The Windows-1251 form of a UTF-8 text (a test failure when it has none).
std::string W(const std::string& utf8);

}  // namespace tomeo::test
