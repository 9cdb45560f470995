// How an IPP job becomes the filter's job options, so that the photo
// pipeline and the command stream are the filter's own: the PWG media, the
// page's orientation and the two-up choice give the PPD page size, the raster
// resolution gives the resolution choice, and the vendor attributes give the
// finish, border, sharpness and colour options.
#pragma once

#include <cups/cups.h>

#include <string>
#include <utility>
#include <vector>

// One borderless size of the model: its PWG name and the PPD page sizes
// that print it.
struct AppMedia {
    const char* pwg;
    int mediaCode;                 // row of gMediaInfo_ZR
    const char* portrait;          // PageSize for a page taller than wide
    const char* landscape;         // ... wider than tall
    const char* portraitTwoUp;     // null where two pictures do not fit a sheet
    const char* landscapeTwoUp;
};
extern const AppMedia kAppMedia[];
extern const int kAppMediaCount;

// The filter's page for a job: its PageSize and the raster (width x height
// pixels) that this page size has at the job's resolution.
struct PageChoice {
    std::string pageSize;
    int width = 0;
    int height = 0;
};

// False for a PWG name the printer has no paper for.
bool ChoosePage(const char* pwgName, bool landscape, bool twoUp, unsigned xDpi, unsigned yDpi, PageChoice* out);

// The PPD's Resolution choice for a raster resolution; null for one the
// printer cannot print.
const char* ResolutionChoice(unsigned xDpi, unsigned yDpi);

// Vendor attribute names, their filter options and defaults.
struct VendorOption {
    const char* attribute;
    const char* defaultValue;
    // Keywords the attribute takes (null-terminated list), or none for an
    // integer range.
    const char* const* keywords;
    int low, high;
};
extern const VendorOption kVendorOptions[];
extern const int kVendorOptionCount;

// The filter options for the job's vendor attribute values (name=value as
// PAPPL hands them over); values outside the supported ones are left out, so
// the filter's default applies.
std::vector<std::pair<std::string, std::string>> FilterOptions(int count, const cups_option_t* vendor);

// Whether the job asks for two pictures on one sheet.
bool WantsTwoUp(int count, const cups_option_t* vendor);
