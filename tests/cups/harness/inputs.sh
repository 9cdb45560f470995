# Test documents made with Ghostscript, which the scheduler needs anyway:
# a flat-coloured JPEG or one-page PDF of a given size. Each picture is a
# colour field with a dark frame one pixel inside its edge, so a page that
# CUPS shifted or scaled shows up as a frame missing from the page's edge.
# shellcheck shell=bash

_kzr_frame_ps() {  # width height (in the device's units, may be fractional)
  echo "0.85 0.45 0.2 setrgbcolor 0 0 $1 $2 rectfill" \
       "0 0 0.4 setrgbcolor 4 setlinewidth 2 2 $1 4 sub $2 4 sub rectstroke showpage"
}

# kzr_make_jpeg FILE WIDTH_PX HEIGHT_PX: a 300 dpi JPEG of that many pixels.
kzr_make_jpeg() {
  gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=90 -r72 -g"$2x$3" \
     -sOutputFile="$1" -c "$(_kzr_frame_ps "$2" "$3")"
}

# kzr_make_pdf FILE WIDTH_PT HEIGHT_PT: a one-page PDF of that page size.
kzr_make_pdf() {
  gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dDEVICEWIDTHPOINTS="$2" \
     -dDEVICEHEIGHTPOINTS="$3" -sOutputFile="$1" -c "$(_kzr_frame_ps "$2" "$3")"
}
