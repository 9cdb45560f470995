#!/usr/bin/env bash
# The print dialog in six languages: what ppdLocalize (which the GTK and Qt
# dialogs use) makes of the queue's PPD under each language. Every option
# must be named in the language, and the paper sizes must read as the status
# monitor's catalogue of that language writes them.
# Usage: ppd_localize_test.sh PPD PROBE TRANSLATIONS_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/checks.sh"
ppd=$1 probe=$2 ts=$3

english=$(LANG=C "$probe" "$ppd") || { echo "probe failed on $ppd"; exit 1; }
[[ $(grep -c '^option ' <<<"$english") -ge 15 ]] || kzr_fail "the PPD offers its options"

# The catalogue's text of a source key ("size_00301") in one language file.
catalogue() {
  grep -A1 "<source>$2</source>" "$ts/localize_$1.ts" | sed -n 's/.*<translation>\(.*\)<\/translation>.*/\1/p'
}
# The dialog's text of a paper size choice.
size_text() { grep "^choice PageSize $1 " <<<"$2" | cut -d' ' -f4-; }

for lang in de fr es ja zh; do
  locale=$lang
  [[ $lang == zh ]] && locale=zh_CN
  shown=$(LANG=$locale.UTF-8 "$probe" "$ppd") || { kzr_fail "$lang: probe failed"; continue; }
  # Every option and every On/Off choice reads differently from English.
  untranslated=$(diff <(grep -E '^option |^choice [^ ]+ (Enable|Disable) ' <<<"$english") \
                      <(grep -E '^option |^choice [^ ]+ (Enable|Disable) ' <<<"$shown") | grep -c '^<')
  kzr_check_eq "$lang: options and switches translated" \
    "$(grep -cE '^option |^choice [^ ]+ (Enable|Disable) ' <<<"$english")" "$untranslated"
  # The sizes the status monitor also names, as its catalogue names them.
  for pair in 127x178mm:size_00210 153x204mm:size_00310; do
    kzr_check_eq "$lang: ${pair%%:*} as the status monitor writes it" \
      "$(catalogue "$lang" "${pair##*:}")" "$(size_text "${pair%%:*}" "$shown")"
  done
done
kzr_finish
