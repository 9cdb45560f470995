#include "cups_value.h"

#include <cstring>

const char* _GetCupsValue(const char* name, int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    if (name == nullptr)
        return nullptr;
    if (const char* value = cupsGetOption(name, optionCount, options))
        return value;
    // CUPS clients commonly send the paper choice as "media" instead.
    if (strcmp(name, "PageSize") == 0) {
        if (const char* value = cupsGetOption("media", optionCount, options))
            return value;
    }
    return wrappedPpdFindDefChoice(ppd, name);
}
