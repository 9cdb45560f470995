// korvane_zr_filter: CUPS filter turning a raster job into the ZR's command stream.
#include "filter_job.h"

int main(int argc, char** argv)
{
    return RunFilter(argc, argv);
}
