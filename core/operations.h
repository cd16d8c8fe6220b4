// Operation flags (what ProcessFile is asked to do) and result flags (which requested
// operations did not complete, and why).
#pragma once

#include <cstdint>

namespace tomeo {

// What ProcessFile is asked to do: a set of these bits (an operation mask).
enum OperationFlag : std::uint32_t {
    OP_CODEPAGE = 0x001,     // added automatically
    OP_DESCRIPTION = 0x002,  // added automatically
    OP_INFO = 0x004,         // the window's information text
    OP_RENAME = 0x008,       // r: name from rename.sc
    OP_RENAME_TO = 0x010,    // the name the user typed
    OP_DOS = 0x020,          // d: code page 866 -> Windows-1251
    OP_UTF8 = 0x040,         // u: UTF-8 FB2 or text -> Windows-1251
    OP_EXTRACT = 0x080,      // copy a zipped book out for a viewer
    OP_TOTEXT = 0x100,       // t: FB2 -> text file
    OP_MOVE = 0x200,         // m: directory from move.sc
    OP_MOVE_TO = 0x400,      // the directory the user gave
    OP_ZIP = 0x800,          // z: pack a loose file
};

// Which requested operations failed, and why: a set of these bits (the result flags).
enum ResultFlag : std::uint32_t {
    RES_DESCRIPTION = 0x0001,
    RES_INFO = 0x0002,
    RES_CODEPAGE = 0x0004,
    RES_RENAME = 0x0008,
    RES_EXTRACT = 0x0010,
    RES_UTF8 = 0x0020,
    RES_UTF8_NOT1251 = 0x0040,
    RES_UTF8_BADCODE = 0x0080,
    RES_DOS = 0x0100,
    RES_TOTEXT = 0x0200,
    RES_TOTEXT_NOT1251 = 0x0400,
    RES_TOTEXT_BADCODE = 0x0800,
    RES_TOTEXT_TAG = 0x1000,
    RES_TOTEXT_STRUCTURE = 0x2000,
    RES_MOVE = 0x4000,
    RES_ZIP = 0x8000,
};

// Why the operations of a file failed, where the result flags do not tell: recorded by
// ProcessFile beside them (the first failure's reason) and appended by the report to
// each failure message of the file. None when the flags say it all or nothing is known.
enum class FailReason : std::uint8_t {
    None,
    NotFound,          // a file argument named no file
    SourceUnreadable,  // the book could not be opened or read
    NoAccess,          // the system refused access
    NoSpace,           // the disk is full
    Description,       // the book's description could not be read
    NoEncoding,        // the FB2 declaration, or its encoding, is missing
    UnknownEncoding,   // the FB2 declaration names an unknown encoding (detail: its name)
    EmptyName,         // rename.sc or the window gave an empty name
    UnusableName,      // ... a name that is not one ("." or "..", or with a separator)
    EmptyDirectory,    // move.sc or the window gave no directory
    ParentFolder,      // the target directory has a ".." component
    NameTaken,         // a file of the target name exists
    NameNotAllowed,    // the file system refuses the name (too long, forbidden characters)
    SourceChanged,     // another program changed the book while it was processed
    TextNameTaken,     // the text file's name belongs to something other than an older text
};

}  // namespace tomeo
