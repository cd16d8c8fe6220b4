// The one crossing between the program's Windows-1251 texts and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tomeo {

// A Windows-1251 text for Qt.
QString ToQt(std::string_view cp1251);
// What the user typed, in Windows-1251; a character without a Windows-1251 form
// becomes the byte that has none (0x98), so a name holding it is refused, never
// silently changed.
std::string FromQt(const QString& text);

}  // namespace tomeo
