#include "ppd_reader.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kLineMax = 255;     // characters of one line taken into account
constexpr size_t kNameMax = 255;

// Reads one line of at most kLineMax characters into `line`. The rest of a
// longer line is skipped, so that its tail can never be mistaken for the start
// of a line of its own. Bytes are counted as read, not by where a NUL stands,
// so a NUL inside a long line cannot cut the skip short either.
bool ReadLine(FILE* file, char (&line)[kLineMax + 1])
{
    size_t n = 0;
    int c = EOF;
    while (n < kLineMax && (c = getc(file)) != EOF) {
        line[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[n] = '\0';
    if (n == 0 && c == EOF)
        return false;
    if (n == kLineMax && c != '\n') {
        while ((c = getc(file)) != EOF && c != '\n') {
        }
    }
    return true;
}

// The first blank-delimited word after `prefix` on the first line that
// starts with it, into ppd->value; blanks (line feed included) before it are
// skipped, so a bare prefix gives "". Null when no line starts so.
char* WordAfter(ppdfile_s* ppd, const char* prefix)
{
    rewind(ppd->file);
    const size_t prefixLength = strlen(prefix);
    char line[kLineMax + 1];
    bool found = false;
    while (!found && ReadLine(ppd->file, line))
        found = strncmp(line, prefix, prefixLength) == 0;
    if (!found)
        return nullptr;
    const char* p = line + prefixLength;
    while (*p != '\0' && isspace(static_cast<unsigned char>(*p)))
        ++p;
    size_t n = 0;
    while (p[n] != '\0' && !isspace(static_cast<unsigned char>(p[n])) && n < sizeof ppd->value - 1)
        ++n;
    memcpy(ppd->value, p, n);
    ppd->value[n] = '\0';
    return ppd->value;
}

}  // namespace

ppdfile_s* wrappedPpdOpenFile(const char* path)
{
    if (path == nullptr)
        return nullptr;
    ppdfile_s* ppd = static_cast<ppdfile_s*>(calloc(1, sizeof(ppdfile_s)));
    if (ppd == nullptr)
        return nullptr;
    ppd->file = fopen(path, "r");
    return ppd;
}

void wrappedPpdClose(ppdfile_s* ppd)
{
    if (ppd == nullptr)
        return;
    if (ppd->file != nullptr)
        fclose(ppd->file);
    free(ppd);
}

char* wrappedPpdFindDefChoice(ppdfile_s* ppd, const char* name)
{
    if (ppd == nullptr || name == nullptr || ppd->file == nullptr)
        return nullptr;
    // A name that does not fit the prefix would be cut short and could then
    // match the line of a different option; such a name matches nothing.
    if (strlen(name) > kNameMax - 10)
        return nullptr;
    char prefix[kNameMax + 1];
    snprintf(prefix, sizeof prefix, "*Default%s: ", name);
    return WordAfter(ppd, prefix);
}

char* wrappedPpdFindKeyword(ppdfile_s* ppd, const char* keyword)
{
    if (ppd == nullptr || keyword == nullptr || ppd->file == nullptr || strlen(keyword) > kNameMax - 3)
        return nullptr;
    char prefix[kNameMax + 1];
    snprintf(prefix, sizeof prefix, "*%s: ", keyword);
    return WordAfter(ppd, prefix);
}
