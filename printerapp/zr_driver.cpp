#include "zr_driver.h"

#include "job_options.h"
#include "zr_device.h"
#include "zr_job.h"

#include <cstring>

pappl_pr_driver_t kZrDrivers[] = {
    {"korvane_zr", "KORVANE ZR", "MFG:KORVANE;MDL:ZR;", nullptr},
};

namespace {

constexpr const char* kDefaultMedia = "na_index-4x6_4x6in";
constexpr const char* kMediaType = "photographic-glossy";

void SetMediaCol(pappl_media_col_t& col, const char* pwgName)
{
    pwg_media_t* pwg = pwgMediaForPWG(pwgName);
    col = {};
    strncpy(col.size_name, pwgName, sizeof col.size_name - 1);
    col.size_width = pwg != nullptr ? pwg->width : 0;
    col.size_length = pwg != nullptr ? pwg->length : 0;
    strncpy(col.source, "main", sizeof col.source - 1);
    strncpy(col.type, kMediaType, sizeof col.type - 1);
}

}  // namespace

bool ZrDriverCallback(pappl_system_t*, const char* driverName, const char*, const char*,
    pappl_pr_driver_data_t* d, ipp_t** attrs, void*)
{
    if (driverName == nullptr || strcmp(driverName, kZrDrivers[0].name) != 0)
        return false;
    d->rstartjob_cb = ZrStartJob;
    d->rstartpage_cb = ZrStartPage;
    d->rwriteline_cb = ZrWriteLine;
    d->rendpage_cb = ZrEndPage;
    d->rendjob_cb = ZrEndJob;
    d->status_cb = ZrStatus;
    d->printfile_cb = ZrPrintStream;
    d->format = kZrStreamFormat;

    strncpy(d->make_and_model, "KORVANE ZR", sizeof d->make_and_model - 1);
    d->ppm = 1;
    d->ppm_color = 1;
    d->kind = PAPPL_KIND_PHOTO;
    d->has_supplies = true;
    d->orient_default = IPP_ORIENT_NONE;
    d->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME;
    d->color_default = PAPPL_COLOR_MODE_COLOR;
    d->content_default = PAPPL_CONTENT_PHOTO;
    d->quality_default = IPP_QUALITY_NORMAL;
    d->scaling_default = PAPPL_SCALING_FILL;
    d->raster_types = PAPPL_PWG_RASTER_TYPE_SRGB_8 | PAPPL_PWG_RASTER_TYPE_SGRAY_8;
    d->force_raster_type = PAPPL_PWG_RASTER_TYPE_NONE;
    d->duplex = PAPPL_DUPLEX_NONE;
    d->sides_supported = PAPPL_SIDES_ONE_SIDED;
    d->sides_default = PAPPL_SIDES_ONE_SIDED;

    // Square pixels only: PAPPL's image code fills the page in pixels, so a
    // 300 x 600 dpi page would get its pictures squeezed. 600 x 600 dpi
    // prints in the printer's 300 x 600 dpi mode (the photo buffer halves the
    // width); print-quality draft is 300 dpi, normal and high 600 dpi.
    d->num_resolution = 2;
    d->x_resolution[0] = d->y_resolution[0] = 300;
    d->x_resolution[1] = d->y_resolution[1] = 600;
    d->x_default = d->y_default = 600;

    // Every size prints to the paper's edges.
    d->borderless = true;
    d->left_right = 0;
    d->bottom_top = 0;
    d->num_media = kAppMediaCount;
    for (int i = 0; i < kAppMediaCount; ++i)
        d->media[i] = kAppMedia[i].pwg;
    SetMediaCol(d->media_default, kDefaultMedia);
    d->num_source = 1;
    d->source[0] = "main";
    SetMediaCol(d->media_ready[0], kDefaultMedia);
    d->num_type = 1;
    d->type[0] = kMediaType;

    d->num_vendor = kVendorOptionCount;
    ipp_t* extra = ippNew();
    for (int i = 0; i < kVendorOptionCount; ++i) {
        const VendorOption& o = kVendorOptions[i];
        d->vendor[i] = o.attribute;
        const std::string supported = std::string(o.attribute) + "-supported";
        const std::string byDefault = std::string(o.attribute) + "-default";
        if (o.keywords != nullptr) {
            int n = 0;
            while (o.keywords[n] != nullptr)
                ++n;
            ippAddStrings(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, supported.c_str(), n, nullptr, o.keywords);
            ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, byDefault.c_str(), nullptr, o.defaultValue);
        } else {
            ippAddRange(extra, IPP_TAG_PRINTER, supported.c_str(), o.low, o.high);
            ippAddInteger(extra, IPP_TAG_PRINTER, IPP_TAG_INTEGER, byDefault.c_str(), atoi(o.defaultValue));
        }
    }
    // Stated for IPP Everywhere clients: colours are the photo pipeline's own
    // (auto), one-sided sheets need no back-side handling, and no attribute
    // is preferred over another.
    ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported", nullptr, "auto");
    ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr, "auto");
    ippAddString(extra, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
    ippAddBoolean(extra, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
    *attrs = extra;
    return true;
}

const char* ZrAutoAdd(const char*, const char* deviceUri, const char* deviceId, void*)
{
    if (SerialOfAppUri(deviceUri).empty() || deviceId == nullptr)
        return nullptr;
    return strstr(deviceId, "KORVANE") != nullptr && strstr(deviceId, "ZR") != nullptr ? kZrDrivers[0].name
                                                                                        : nullptr;
}
