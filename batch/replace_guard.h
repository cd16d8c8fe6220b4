// What the text file may replace: the name of an older text only, never of another book
// or of anything else. Also the reasons of failures that come from the system.
#pragma once

#include "book/xml_tag.h"
#include "core/operations.h"
#include "core/wstr.h"

namespace tomeo {

// Whether a text file may be renamed over path: nothing bears the name, or a regular
// file does that is an older text (loose: any regular file, the name ends ".txt";
// packed: an archive whose single member is named text_name). None when it may,
// TextNameTaken when not (a directory, a link, a device, an archive of another book, an
// archive that cannot be read, a name that cannot be examined).
FailReason TextMayBeReplaced(const char* path, const char* text_name, bool packed);

// The reason of a failed creation, write, rename, move or deletion, from its errno.
FailReason ReasonOfError(int error_number);

// Why an FB2 declaration read into tag gave no code page: none, or an encoding the
// program does not know (its name goes to detail).
FailReason ReasonOfDeclaration(const TXMLTAG& tag, WSTR& detail);

}  // namespace tomeo
