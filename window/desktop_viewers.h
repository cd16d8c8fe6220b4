// The external viewers on a Linux desktop. Each book kind has a working viewer string,
// copied from the settings (the page "Открыть") at the start and after Reset: a command
// the user configured, used as it is; empty, not looked up yet; or "$", looked up and
// nothing found, so "Открыть" stays disabled for that kind until Reset. A kind without a
// configured command gets the desktop's association for its type, asked once: when
// `xdg-mime query default TYPE` names an application whose desktop entry exists, the
// book is handed to `xdg-open`.
//
// A command is split into words as a shell would split it (window/command_words.h;
// a command that as a whole names an executable file, an unquoted path with spaces, is
// one word), the book's path is added as one more word, and the program is started detached, never
// through a shell and never waited for. A zipped book is first extracted to "tmp_" +
// its member's name in the program's private temporary folder; such copies are recorded
// in the temporary-file list and deleted before the next viewer starts and at exit.
#pragma once

#include <cstdint>
#include <string>

#include "core/wstr.h"
#include "window/book_viewer.h"

namespace tomeo {

struct Settings;
class TFILEDELLIST;

// The desktop's type of a book kind: text/plain, application/x-fictionbook+xml, and
// application/rtf for every other kind.
const char* MimeTypeOfKind(std::uint8_t kind);

// The opener for files of the MIME type when the desktop associates an application
// with it (its desktop entry exists): the full path of xdg-open (UTF-8). Empty when
// there is no association or no xdg-mime / xdg-open.
std::string FindDesktopOpener(const char* mime_type);

class DesktopViewers : public BookViewer {
public:
    // Both must outlive the viewers.
    DesktopViewers(const Settings& settings, TFILEDELLIST& temp_files);

    bool Known(std::uint8_t kind) override;
    void Open(Pipeline& pipeline) override;
    void Reset() override;

    // The kind's working string, looked up first when it is empty (Windows-1251).
    const char* Lookup(std::uint8_t kind);

private:
    WSTR& Slot(std::uint8_t kind);

    const Settings& settings_;
    TFILEDELLIST& temp_files_;
    WSTR text_, fb2_, rtf_;
};

}  // namespace tomeo
