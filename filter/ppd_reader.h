// A deliberately small PPD reader: the filter only ever needs the default
// choice of an option, so the file is read as plain text instead of pulling in
// a full PPD parser.
#pragma once

#include <cstdio>

struct ppdfile_s {
    FILE* file;        // null when the PPD could not be opened
    char value[256];   // the last default found; overwritten by every lookup
};

// Null for a null path or when the handle cannot be allocated; otherwise a
// handle whose file may be null (every lookup on it then finds nothing).
ppdfile_s* wrappedPpdOpenFile(const char* path);
// Closes the file and releases the handle; nothing for null.
void wrappedPpdClose(ppdfile_s* ppd);
// The first word after "*Default<name>: " on the first line that starts with
// it, held in ppd->value until the next lookup; null when nothing matches.
char* wrappedPpdFindDefChoice(ppdfile_s* ppd, const char* name);
// The first word after "*<keyword>: " (a main keyword such as
// cupsMaxCopies), held like a default choice; null when nothing matches.
char* wrappedPpdFindKeyword(ppdfile_s* ppd, const char* keyword);
