# The printer's page sizes as the queue offers them, with the size of one
# picture in pixels at 300 dpi (across the head x along the feed, as the
# page is printed). Portrait names describe the same picture turned upright.
# shellcheck shell=bash

# name  picture-width  picture-length  portrait(1/0)  two-up(1/0)  multicut  two-up-multicut
KZR_MEDIA=(
  "127x89mm    1548 1088 0 0 1 -"
  "89x127mm    1548 1088 1 0 1 -"
  "127x89mmx2  1548 1088 0 1 1 22"
  "89x127mmx2  1548 1088 1 1 1 22"
  "127x127mm   1548 1540 0 0 29 -"
  "127x178mm   1548 2138 0 0 3 -"
  "153x102mm   1844 1240 0 0 2 -"
  "102x153mm   1844 1240 1 0 2 -"
  "153x102mmx2 1844 1240 0 1 2 12"
  "102x153mmx2 1844 1240 1 1 2 12"
  "153x153mm   1844 1836 0 0 27 -"
  "153x204mm   1844 2436 0 0 4 -"
)

# The paper's nominal size in points, as the PPD gives it to the converters
# (the picture above runs a little past the paper on every side).
declare -A KZR_NOMINAL_PT=(
  [127x89mm]="360 252" [89x127mm]="252 360" [127x89mmx2]="360 252" [89x127mmx2]="252 360"
  [127x127mm]="360 360" [127x178mm]="360 504" [153x102mm]="432 288" [102x153mm]="288 432"
  [153x102mmx2]="432 288" [102x153mmx2]="288 432" [153x153mm]="432 432" [153x204mm]="432 576"
)

# kzr_ppd_sizes PPD -> the page-size keywords the PPD offers, one a line.
kzr_ppd_sizes() { sed -n 's/^\*PageSize \([^/:]*\)[/:].*/\1/p' "$1"; }
