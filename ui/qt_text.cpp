#include "ui/qt_text.h"

#include "core/charset.h"

namespace tomeo {

QString ToQt(std::string_view cp1251) {
    return QString::fromStdString(cp1251_to_utf8(cp1251));
}

std::string FromQt(const QString& text) {
    return utf8_to_cp1251_lossy(text.toStdString());
}

}  // namespace tomeo
