#include "print_steps.h"

volatile sig_atomic_t Canceled = 0;

void ConfigureEntry(DeviceEntry& entry, int optionCount, cups_option_t* options, ppdfile_s* ppd)
{
    entry.SetResolution(optionCount, options, ppd);
    entry.SetMediaSize(optionCount, options, ppd);
    entry.SetBorder(optionCount, options, ppd);
    entry.SetSharpness(optionCount, options, ppd);
    entry.SetGamma(optionCount, options, ppd);
    entry.SetIntensity(optionCount, options, ppd);
    entry.SetContrast(optionCount, options, ppd);
    entry.SetSaturation(optionCount, options, ppd);
    entry.SetColorAdjustment(optionCount, options, ppd);
    entry.SetPaperRotate(optionCount, options, ppd);
    entry.ReadPrintSettings(optionCount, options, ppd);
}

void FlushPrint(DeviceEntry& entry, int pictureCount)
{
    entry.SendCutterMode();
    entry.SendOvercoatFinish();
    entry.SendPrintRetry();
    entry.SendPrintSpeed();
    entry.SendImageData(pictureCount);
}
