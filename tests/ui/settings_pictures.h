// Pictures of the settings sheet, one per page, for `make screenshots`.
#pragma once

#include <QString>

class QWidget;

namespace tomeo {

struct Settings;
struct BookScripts;

// Opens the sheet over the window on every page in turn (the FB2->TXT (2) page and the
// rename page with an error under the script) and saves "settings-N-name.png" into
// folder. False when a picture could not be saved.
bool SaveSettingsPictures(QWidget* window, Settings& settings, BookScripts& scripts,
                          const QString& folder);

}  // namespace tomeo
