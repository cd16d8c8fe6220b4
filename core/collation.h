// Comparing Windows-1251 texts the way a Russian reader expects: letters without regard
// to case, Latin before Cyrillic, Cyrillic in alphabet order (ё right after е, the
// Ukrainian, Belarusian and Serbian letters beside their neighbours), digits before
// letters, punctuation and symbols before digits.
#pragma once

namespace tomeo {

// Negative, zero or positive as a sorts before, with or after b. Texts that differ only
// in letter case are ordered by their bytes, so that the order is total.
int collate_ignoring_case(const char* a, const char* b);

// True when the texts are equal once both are mapped to lower case.
bool equal_ignoring_case(const char* a, const char* b);

}  // namespace tomeo
