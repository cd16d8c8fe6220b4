// The u step: an FB2 book stored in UTF-8 rewritten as the same document in
// Windows-1251, one output chunk at a time. The first "UTF-8" of the file (the value
// of the XML declaration's encoding) becomes "windows-1251"; binary elements (pictures
// in Base64) are copied byte for byte; every other character must have a Windows-1251
// form, or the step stops with its status and the source stays untouched.
//
// A plain text book in UTF-8 is recoded character by character with the same refusal;
// it has no declaration and no binary elements, and its byte-order mark is dropped (a
// Windows-1251 text has none).
#pragma once

#include "core/conv_job.h"

namespace tomeo {

class Utf8Recoder {
public:
    // Before the first step of a file; plain_text for a text book.
    void recode_utf8_begin(TCONVJOB& job, bool plain_text = false);
    // One step: fills job.dst from job.src_pos until the chunk is full, the input ends
    // or a character cannot be recoded (job.status then tells why).
    void recode_utf8_chunk(TCONVJOB& job);

private:
    bool in_binary_ = false;         // inside <binary ...> ... </binary>
    bool declaration_done_ = false;  // the first "UTF-8" has been replaced
    bool plain_text_ = false;        // a text book: no declaration, no binary elements
    bool at_start_ = false;          // no step has run yet (a text's byte-order mark)
};

}  // namespace tomeo
