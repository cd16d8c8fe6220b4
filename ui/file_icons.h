// One small icon per kind of list entry, fetched once from the desktop theme and kept:
// a folder and a drive from QFileIconProvider, the three book kinds by their MIME types.
// Drive icons are fetched again on every fill (a changed medium shows its own). When not
// even a folder icon can be had, icons are off and every row goes without one.
#pragma once

#include <QFileIconProvider>
#include <QIcon>
#include <cstdint>
#include <map>
#include <string>

namespace tomeo {

class FileIcons {
public:
    FileIcons();

    bool off() const { return off_; }
    // The icon for an entry; a drive's is looked up by its path (Windows-1251).
    QIcon IconFor(std::uint8_t kind, const std::string& drive);
    // Before a fill: the drive icons are fetched anew.
    void ForgetDrives() { drives_.clear(); }

private:
    QIcon BookIcon(const char* mime_type) const;

    QFileIconProvider provider_;
    bool off_ = false;
    std::map<std::uint8_t, QIcon> kinds_;  // folders and books, fetched once each
    std::map<std::string, QIcon> drives_;
};

}  // namespace tomeo
