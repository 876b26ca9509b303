#!/usr/bin/env bash
# The reference the speech benchmark compares with: every file of a corpus list through
# plain `pocketsphinx_continuous -jsgf`, with a JSGF grammar of the same phrases written as
# lower-cased word sequences. Words missing from the model's dictionary get pronunciations
# from espeak-ng, mapped to the model's phones.
#
# Writes OUT: WAV path as the list has it, TAB, what was heard (the word sequences of the
# utterances, joined by " | "; empty when nothing was). Runs JOBS decoders at a time.
#
#   baseline-sphinx.sh LIST PHRASES OUT [JOBS]
#     LIST     the corpus list (WAV path TAB expected phrase TAB condition)
#     PHRASES  the grammar's phrases, one a line
set -euo pipefail

list=${1:?usage: baseline-sphinx.sh LIST PHRASES OUT [JOBS]}
phrases=${2:?usage: baseline-sphinx.sh LIST PHRASES OUT [JOBS]}
result=${3:?usage: baseline-sphinx.sh LIST PHRASES OUT [JOBS]}
jobs=${4:-2}
model=${SPHINX_MODEL:-/usr/share/pocketsphinx/model/en-us}
command -v pocketsphinx_continuous >/dev/null ||
  { echo "baseline-sphinx.sh: pocketsphinx_continuous is missing" >&2; exit 1; }

work="$result.work"
rm -rf "$work"
mkdir -p "$work"

# Lower case, anything but letters, digits and apostrophes becomes a word break.
normalise() { tr '[:upper:]' '[:lower:]' | sed -E "s/[^a-z0-9']+/ /g; s/^ +| +$//g"; }

normalise <"$phrases" | grep -v '^$' | sort -u >"$work/phrases"
{
  echo '#JSGF V1.0;'
  echo 'grammar commands;'
  printf 'public <command> = '
  awk 'NR > 1 { printf " | " } { printf "%s", $0 } END { print ";" }' "$work/phrases"
} >"$work/grammar.jsgf"

# espeak-ng phoneme mnemonics to the model's phones.
espeak_to_cmu() {
  tr -d "',;%=" | tr '_' '\n' | awk '
    BEGIN {
      n = split("a:AE aa:AE a#:AH @:AH @-:AH V:AH 0:AA A::AA A@:AA_R 3:ER 3::ER r-:ER " \
        "E:EH e@:EH_R eI:EY I:IH I2:IH I#:IH i:IY i::IY i@:IH_R i@3:IH_R aI:AY aI3:AY_ER " \
        "aI@:AY_ER aU:AW O::AO O2:AO O@:AO_R o@:AO_R OI:OY oU:OW U:UH U@:UH_R u::UW h:HH " \
        "j:Y N:NG S:SH Z:ZH T:TH D:DH tS:CH dZ:JH t#:T t2:T ?:T x:K @L:AH_L n-:AH_N", m, " ")
      for (i = 1; i <= n; i++) {
        k = m[i]; sub(/:[^:]*$/, "", k); v = m[i]; sub(/^.*:/, "", v); gsub("_", " ", v)
        map[k] = v
      }
      split("AA AE AH AO AW AY B CH D DH EH ER EY F G HH IH IY JH K L M N NG OW OY P R " \
        "S SH T TH UH UW V W Y Z ZH", p, " ")
      for (i in p) valid[p[i]] = 1
    }
    $0 == "" { next }
    { ph = ($0 in map) ? map[$0] : toupper($0)
      n = split(ph, parts, " ")
      for (i = 1; i <= n; i++) if (parts[i] in valid) out = out (out == "" ? "" : " ") parts[i] }
    END { print out }'
}

tr ' ' '\n' <"$work/phrases" | grep -v '^$' | sort -u | while read -r word; do
  entries=$(grep -E "^${word}(\([0-9]+\))? " "$model/cmudict-en-us.dict" || true)
  if [ -n "$entries" ]; then
    echo "$entries"
  else
    echo "$word $(espeak-ng -v en-us -q -x --sep=_ "$word" | espeak_to_cmu)"
  fi
done >"$work/words.dict"

decode_one() {
  local work=$1 model=$2 base=$3 path=$4 wav heard
  wav=$path
  [[ $wav = /* ]] || wav="$base/$wav"
  heard=$(pocketsphinx_continuous -hmm "$model/en-us" -dict "$work/words.dict" \
    -jsgf "$work/grammar.jsgf" -infile "$wav" -logfn /dev/null 2>/dev/null |
    awk 'NF { printf "%s%s", (n++ ? " | " : ""), $0 }')
  printf '%s\t%s\n' "$path" "$heard"
}
export -f decode_one

base=$(cd "$(dirname "$list")" && pwd)
cut -f1 "$list" | grep -v '^$' | tr '\n' '\0' |
  xargs -0 -P "$jobs" -I{} bash -c 'decode_one "$1" "$2" "$3" "$4"' _ "$work" "$model" "$base" {} \
    >"$result.part"
mv "$result.part" "$result"
echo "baseline: $(wc -l <"$result") files decoded, results in $result"
