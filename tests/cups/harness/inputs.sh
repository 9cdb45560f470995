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

# A photo-like picture with no white dot: a warm-to-cool gradient, a disc in
# its middle and a dark frame at its edge, so a print that lost part of the
# picture or left paper bare is plain to see.
_kzr_photo_ps() {  # width height
  echo "0 1 99 { dup 100 div dup 0.3 mul 0.55 add exch 0.5 mul 0.25 add 0.9 3 index 100 div 0.5 mul sub" \
       "setrgbcolor $1 100 div mul 0 $1 100 div 1 add $2 rectfill } for" \
       "0.95 0.85 0.2 setrgbcolor $1 2 div $2 2 div $1 $2 lt {$1} {$2} ifelse 4 div 0 360 arc fill" \
       "0.1 0.1 0.3 setrgbcolor 6 setlinewidth 3 3 $1 6 sub $2 6 sub rectstroke showpage"
}

# kzr_make_photo FILE WIDTH HEIGHT: JPEG or PNG (by the file's suffix) of
# that many pixels, or a PDF page of that many points.
kzr_make_photo() {
  local device
  case $1 in
    *.jpg) device="jpeg -dJPEGQ=90" ;;
    *.png) device=png16m ;;
    *.pdf)
      gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dDEVICEWIDTHPOINTS="$2" \
         -dDEVICEHEIGHTPOINTS="$3" -sOutputFile="$1" -c "$(_kzr_photo_ps "$2" "$3")"
      return ;;
  esac
  # shellcheck disable=SC2086
  gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=$device -r72 -g"$2x$3" -sOutputFile="$1" -c "$(_kzr_photo_ps "$2" "$3")"
}
