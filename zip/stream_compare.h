// Whether two files hold the same book, judged by content: a run killed after a new
// file took its final name but before its source was deleted leaves both, and the next
// run may delete the source only when the file under the final name is complete.
#pragma once

namespace tomeo {

// True when the files at a and b (opened by stream_open, so by their extensions) hold
// the same content: two archives each with one member of the same name whose inflated
// bytes are equal, or two plain files with equal bytes. Every byte is read; a file that
// cannot be opened or read to its end (a damaged member) gives false.
bool stream_contents_equal(const char* a, const char* b);

}  // namespace tomeo
