// Prints the queue's PPD as a print dialog shows it after ppdLocalize, in
// the language the environment (LANG) names, one line per group, option and
// choice:  "group KEYWORD TEXT", "option KEYWORD TEXT",
// "choice OPTION CHOICE TEXT".
#include <cups/ppd.h>

#include <cstdio>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    ppd_file_t* ppd = ppdOpenFile(argv[1]);
    if (ppd == nullptr || ppdLocalize(ppd) != 0) return 1;
    for (int g = 0; g < ppd->num_groups; ++g) {
        const ppd_group_t& group = ppd->groups[g];
        std::printf("group %s %s\n", group.name, group.text);
        for (int o = 0; o < group.num_options; ++o) {
            const ppd_option_t& option = group.options[o];
            std::printf("option %s %s\n", option.keyword, option.text);
            for (int c = 0; c < option.num_choices; ++c)
                std::printf("choice %s %s %s\n", option.keyword, option.choices[c].choice, option.choices[c].text);
        }
    }
    ppdClose(ppd);
    return 0;
}
