#include "ppd_reader.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kLineMax = 255;     // characters of one line taken into account
constexpr size_t kNameMax = 255;

// Reads one line of at most kLineMax characters into `line`. The rest of a
// longer line is skipped, so that its tail can never be mistaken for the start
// of a line of its own.
bool ReadLine(FILE* file, char (&line)[kLineMax + 1])
{
    if (fgets(line, sizeof line, file) == nullptr)
        return false;
    size_t n = strlen(line);
    if (n > 0 && line[n - 1] != '\n' && n == kLineMax) {
        int c;
        while ((c = fgetc(file)) != EOF && c != '\n') {
        }
    }
    return true;
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
    rewind(ppd->file);

    char prefix[kNameMax + 1];
    snprintf(prefix, sizeof prefix, "*Default%s: ", name);
    const size_t prefixLength = strlen(prefix);

    char line[kLineMax + 1];
    while (ReadLine(ppd->file, line)) {
        if (strncmp(line, prefix, prefixLength) != 0)
            continue;
        // The first blank-delimited word after the prefix; blanks (line feed
        // included) before it are skipped, so a bare prefix gives "".
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
    return nullptr;
}
