#include "ui/file_icons.h"

#include <QMimeDatabase>

#include "batch/file_list.h"

namespace tomeo {

FileIcons::FileIcons() {
    const QIcon folder = provider_.icon(QFileIconProvider::Folder);
    off_ = folder.isNull();
    if (!off_) kinds_[KIND_DIRECTORY] = folder;
}

QIcon FileIcons::BookIcon(const char* mime_type) const {
    const QMimeType type = QMimeDatabase().mimeTypeForName(QString::fromLatin1(mime_type));
    QIcon icon;
    if (type.isValid()) {
        icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    }
    // A desktop without an icon theme still tells books from folders.
    if (icon.isNull()) icon = provider_.icon(QFileIconProvider::File);
    return icon;
}

QIcon FileIcons::IconFor(std::uint8_t kind, const std::string& drive) {
    if (off_) return {};
    if (kind == KIND_DRIVE) {
        auto found = drives_.find(drive);
        if (found == drives_.end()) {
            found = drives_.emplace(drive, provider_.icon(QFileIconProvider::Drive)).first;
        }
        return found->second;
    }
    auto found = kinds_.find(kind);
    if (found != kinds_.end()) return found->second;
    QIcon icon;
    switch (kind) {
        case KIND_TXT: icon = BookIcon("text/plain"); break;
        case KIND_FB2: icon = BookIcon("application/x-fictionbook+xml"); break;
        default: icon = BookIcon("application/rtf"); break;
    }
    kinds_[kind] = icon;
    return icon;
}

}  // namespace tomeo
