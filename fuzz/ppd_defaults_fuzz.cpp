// The PPD default reader and the option lookup on a PPD made of the input's
// bytes: every option name the filter asks for, one name of the input's own,
// job options parsed from the input as CUPS hands them to the filter.
#include "cups_value.h"
#include "fuzz_input.h"
#include "memory_file.h"
#include "ppd_reader.h"

#include <cctype>
#include <cstring>

namespace {

const char* const kNames[] = {"PageSize", "Resolution", "ZvoBorder", "ZvoChroma", "ZvoColorAdjustment",
    "ZvoDecurl", "ZvoOvercoatFinish", "ZvoPrintRetry", "ZvoPrintSpeed", "ZvoSharpness", "ZvoGamma",
    "ZvoBrightness", "ZvoContrast", "ZvoPaperRotate", "ZvoCutter"};

// A default is one word that fits the handle's value field.
void CheckDefault(const ppdfile_s* ppd, const char* value)
{
    if (value == nullptr)
        return;
    FUZZ_CHECK(value == ppd->value);
    const size_t n = strnlen(value, sizeof ppd->value);
    FUZZ_CHECK(n < sizeof ppd->value);
    for (size_t i = 0; i < n; ++i)
        FUZZ_CHECK(!isspace(static_cast<unsigned char>(value[i])));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const std::string optionText = in.Text(300);
    const std::string ownName = in.Text(300);
    MemoryFile ppdFile(in.Rest(), in.RestSize());

    cups_option_t* options = nullptr;
    const int optionCount = cupsParseOptions(optionText.c_str(), 0, &options);
    ppdfile_s* ppd = wrappedPpdOpenFile(ppdFile.Path().c_str());
    FUZZ_CHECK(ppd != nullptr && ppd->file != nullptr);

    CheckDefault(ppd, wrappedPpdFindDefChoice(ppd, ownName.c_str()));
    for (const char* name : kNames) {
        CheckDefault(ppd, wrappedPpdFindDefChoice(ppd, name));
        const char* value = _GetCupsValue(name, optionCount, options, ppd);
        // A job option wins over the PPD; "media" stands in for PageSize.
        const char* own = cupsGetOption(name, optionCount, options);
        if (own == nullptr && strcmp(name, "PageSize") == 0)
            own = cupsGetOption("media", optionCount, options);
        if (own != nullptr)
            FUZZ_CHECK(value == own);
        else
            CheckDefault(ppd, value);
    }
    wrappedPpdClose(ppd);
    cupsFreeOptions(optionCount, options);
    return 0;
}
