#!/usr/bin/env bash
# Builds the speech benchmark's corpus of real human voices in the folder given, from
# recordings that Debian ships in packages: fetched with `apt-get download`, unpacked with
# `dpkg -x` into the folder (nothing is installed), converted with sox to 16 kHz mono 16-bit
# WAV. Two corpora, each with its own grammar of user phrases:
#
#   words/      ktuberling-data: English words spoken by real people, 40 of them as user
#               commands, the other 32 as English speech to reject; the words of the other
#               languages as speech to reject. klettres-data: short English words of two
#               speakers (American and British), to reject unless the grammar has them.
#   sentences/  pocketsphinx-testdata: spoken card names, "go forward ten meters", digits
#               and numbers as commands; the read sentences of librivox/ to reject.
#   phrases/    tuxpaint-stamps-default: the spoken names of its stamps ("Hen", "Wild
#               boar"), every other English one a user command (those whose words the
#               recogniser's dictionary has), the rest that speaker's speech to reject;
#               a twelfth of each other language's descriptions to reject. The voice
#               messages and taunts of warzone2100-data (three robot voices) as English
#               speech to reject. And continuous speech: the other descriptions of every
#               language and the game's messages one after another, with short pauses, in
#               ten-minute streams, each to reject as a whole; a start phrase heard in
#               them is a false opening.
#
# Every command is there clean, band-limited as a telephone or headset carries it (nothing
# above 4 kHz), and in continuous background noise at 20 and 10 dB SNR, pink and babble
# (several other recordings at once): the noise runs a second before and after the speech,
# as a fan or a street does. Speech to reject is there clean and, for English, in pink noise
# at 10 dB; babble and pink noise alone are there as noise.
#
# Each corpus folder gets grammar.txt (its user phrases, one a line) and list.tsv: WAV path,
# TAB, expected phrase (empty: must be rejected), TAB, condition, TAB, source (the speaker
# or recording set), TAB, fold, TAB, where the speech ends (seconds). Files alternate between the folds "tune" (for setting
# thresholds) and "report" (for the figures reported), so that no figure comes from the
# files the thresholds were set on. A folder that is already complete is left as it is.
#
#   make-real-corpus.sh FOLDER [JOBS]
set -euo pipefail

out=${1:?usage: make-real-corpus.sh FOLDER [JOBS]}
jobs=${2:-$(nproc)}
for tool in sox apt-get dpkg unzip; do
  command -v "$tool" >/dev/null || { echo "make-real-corpus.sh: $tool is missing" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
signature=$(md5sum <"${BASH_SOURCE[0]}" | cut -d' ' -f1)
if [ "$(cat "$out/.complete" 2>/dev/null)" = "$signature" ]; then
  echo "real-voice corpus up to date: $out"
  exit 0
fi

# The packages, fetched once and kept.
packages=(ktuberling-data klettres-data pocketsphinx-testdata tuxpaint-stamps-default
  warzone2100-data)
mkdir -p "$out/debs" "$out/unpacked"
for p in "${packages[@]}"; do
  if ! ls "$out/debs/${p}"_*.deb >/dev/null 2>&1; then
    (cd "$out/debs" && apt-get download "$p" >/dev/null 2>&1) ||
      { echo "make-real-corpus.sh: cannot download $p (apt-get update first?)" >&2; exit 1; }
  fi
  [ -f "$out/unpacked/.$p" ] || { dpkg -x "$out/debs/${p}"_*.deb "$out/unpacked" && touch "$out/unpacked/.$p"; }
done
kt="$out/unpacked/usr/share/ktuberling/sounds"
kl="$out/unpacked/usr/share/klettres"
ps="$out/unpacked/usr/share/pocketsphinx/test/data"
tp="$out/unpacked/usr/share/tuxpaint/stamps"
wz="$out/unpacked/warzone2100"
if [ ! -f "$wz/.audio" ]; then
  unzip -q -o "$out/unpacked/usr/share/games/warzone2100/base.wz" 'audio/memressp/*' \
    'audio/taunts/*' -d "$wz" && touch "$wz/.audio"
fi
dictionary=/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict

rm -rf "$out/words" "$out/sentences" "$out/phrases" "$out/.tmp"
mkdir -p "$out/.tmp"
tmp="$out/.tmp"

# The spoken text of a ktuberling file name: the theme prefix dropped, a few names mended.
kt_phrase() {
  local w=${1#*_}
  case $w in
  palmtree) w="palm tree" ;;
  fallingstar) w="falling star" ;;
  broccolli) w="broccoli" ;;
  sphynx) w="sphinx" ;;
  ufo) w="U F O" ;;
  esac
  sed -E 's/(^| )([a-z])/\1\u\2/g' <<<"$w"
}
# The recording set a ktuberling file belongs to: its theme (each recorded on its own).
kt_source() {
  case $1 in
  *_*) echo "kt-${1%%_*}" ;;
  *) echo "kt-body" ;;
  esac
}

# User commands of the words corpus; the other English words are speech to reject.
commands=(
  ball coat earring eyebrow flower hair moustache mouth nose shorts sunglasses umbrella
  egypt_bridge egypt_camel egypt_donkey egypt_girl egypt_grass egypt_palmtree egypt_pyramid
  egypt_road egypt_woman
  moon_alien moon_astronaut moon_earth moon_fallingstar moon_monster moon_planet moon_rocket
  moon_satellite moon_star
  pizzeria_anchovy pizzeria_bacon pizzeria_cheese pizzeria_cucumber pizzeria_mushroom
  pizzeria_onion pizzeria_pineapple
  tv_bicycle tv_train tv_tree
)
declare -A is_command=()
for c in "${commands[@]}"; do is_command[$c]=1; done

# Job lines, one recording (and its copies) each, fields between "|" (a tab would let
# `read` merge an empty field with the next): CORPUS KIND INPUT NAME EXPECTED SOURCE FOLD
#   KIND cmd: clean, narrowband, pink/babble at 20 and 10 dB; rej: clean and pink 10 dB
#   (English) or clean only (rej1, other languages).
jobs_file="$tmp/jobs"
: >"$jobs_file"
declare -A fold_count=()
add() { # CORPUS KIND INPUT NAME EXPECTED SOURCE
  # Alternates tune/report within each group (source and kind).
  local key="$6:$2" fold=tune n
  n=${fold_count[$key]:-0}
  fold_count[$key]=$((n + 1))
  ((n % 2 == 0)) || fold=report
  printf '%s|%s|%s|%s|%s|%s|%s\n' "$1" "$2" "$3" "$4" "$5" "$6" "$fold" >>"$jobs_file"
}

: >"$tmp/words.grammar"
for f in "$kt"/en/*.ogg; do
  base=$(basename "$f" .ogg)
  phrase=$(kt_phrase "$base")
  if [ -n "${is_command[$base]:-}" ]; then
    echo "$phrase" >>"$tmp/words.grammar"
    add words cmd "$f" "kt-en-$base" "$phrase" "$(kt_source "$base")"
  else
    add words rej "$f" "kt-en-$base" "" "$(kt_source "$base")"
  fi
done
# Other languages: to reject, except a word that shares its first four letters with a
# command (German "Ball", "Astronaut"): that may be the same word.
stems=$(for c in "${commands[@]}"; do b=${c#*_}; echo "${b:0:4}"; done | sort -u | paste -sd'|')
for dir in "$kt"/*/; do
  lang=$(basename "$dir")
  case $lang in en | *@*) continue ;; esac
  for f in "$dir"*.ogg "$dir"*.wav; do
    [ -f "$f" ] || continue
    base=$(basename "${f%.*}")
    grep -qiE "($stems)" <<<"${base#*_}" && continue
    add words rej1 "$f" "kt-$lang-$base" "" "kt-foreign-$lang"
  done
done
# klettres: short words of an American and a British speaker.
for accent in en en_GB; do
  for f in "$kl/$accent"/syllab/*.ogg; do
    base=$(basename "$f" .ogg)
    expected=""
    [ "$base" = no ] && expected="No"
    grep -qixF "$base" "$tmp/words.grammar" && expected=$(grep -ixF "$base" "$tmp/words.grammar")
    kind=rej
    [ -n "$expected" ] && kind=cmd
    add words "$kind" "$f" "kl-$accent-$base" "$expected" "kl-$accent"
  done
done

# pocketsphinx-testdata: what was said, and who said it.
sentence_commands=(
  "cards/001.wav|Ten Of Clubs|ps-cards"
  "cards/002.wav|Four Queen Of Clubs|ps-cards"
  "cards/003.wav|Seven Of Clubs|ps-cards"
  "cards/004.wav|Five Five|ps-cards"
  "cards/005.wav|Eight Of Spades Four Of Clubs Seven Of Hearts|ps-cards"
  "goforward.raw|Go Forward Ten Meters|ps-turtle"
  "something.raw|Go Somewhere And Do Something|ps-turtle"
  "numbers.raw|Thirty Three Forty Six Ninety Two|ps-turtle"
  "tidigits/dhd.2934z.raw|Two Nine Three Four Zero|ps-tidigits"
)
: >"$tmp/sentences.grammar"
for c in "${sentence_commands[@]}"; do
  IFS='|' read -r path phrase source <<<"$c"
  echo "$phrase" >>"$tmp/sentences.grammar"
  add sentences cmd "$ps/$path" "ps-$(basename "${path%.*}")" "$phrase" "$source"
done
for f in "$ps"/librivox/*.wav; do
  add sentences rej "$f" "ps-$(basename "$f" .wav)" "" "ps-librivox"
done

# tuxpaint: the English recordings say the stamp's name alone, as its file is named
# ("bear", not the "A bear." of its text file); a few names are written together or
# spelled otherwise than they are said.
declare -A tp_said=([mountaingoat]="mountain goat" [wildboar]="wild boar" [tucan]="toucan")
: >"$tmp/phrases.grammar"
known() { # whether the dictionary has every word of the phrase
  local w
  for w in ${1,,}; do grep -q "^$w " "$dictionary" || return 1; done
}
declare -A tp_command=()
n=0
while IFS= read -r f; do
  stamp=${f%_desc.ogg}
  text=${tp_said[$(basename "$stamp")]:-$(basename "$stamp")}
  phrase=$(sed -E 's/(^| )([a-z])/\1\u\2/g' <<<"$text")
  name="tp-en-$(basename "$stamp")"
  if ((n++ % 2 == 0)) && known "$phrase"; then
    echo "$phrase" >>"$tmp/phrases.grammar"
    tp_command[$(basename "$stamp")]=1
    add phrases cmd "$f" "$name" "$phrase" tp-en
  else
    add phrases rej "$f" "$name" "" tp-en
  fi
done < <(find "$tp" -name '*_desc.ogg' | sort)
# The other languages: a twelfth of each to reject (not the descriptions of the stamps
# that are commands: "Un koala" may well be heard as "Koala"); the rest go into the
# continuous streams.
: >"$tmp/continuous.list"
declare -A lang_count=()
while IFS= read -r f; do
  stamp=$(basename "$f")
  lang=${stamp##*_desc_}
  lang=${lang%.*}
  stamp=${stamp%_desc_*}
  n=${lang_count[$lang]:-0}
  lang_count[$lang]=$((n + 1))
  if ((n % 12 == 0)) && [ -z "${tp_command[$stamp]:-}" ]; then
    add phrases rej1 "$f" "tp-$lang-$stamp" "" "tp-$lang"
  else
    echo "$f" >>"$tmp/continuous.list"
  fi
done < <(find "$tp" -name '*_desc_*.ogg' -o -name '*_desc_*.wav' | sort)
# warzone2100: the game's voice messages, and its taunts in three robot voices.
for f in "$wz"/audio/memressp/*/*.ogg; do
  add phrases rej "$f" "wz-$(basename "$(dirname "$f")")-$(basename "$f" .ogg)" "" wz-messages
  echo "$f" >>"$tmp/continuous.list"
done
for f in "$wz"/audio/taunts/taunt*/*.ogg; do
  voice=$(basename "$(dirname "$f")")
  add phrases rej "$f" "wz-$voice-$(basename "$f" .ogg)" "" "wz-$voice"
done

# Babble: six talkers at once, each a stream of foreign words and read sentences, so that
# it sounds like a room of people and nobody in it is understood.
voices=()
while IFS= read -r f; do voices+=("$f"); done < <(ls "$kt"/de/*.ogg "$kt"/fr/*.wav "$kt"/ru/*.ogg \
  "$kt"/it/*.wav "$ps"/librivox/*.wav | sort)
to16k() { sox -R "$1" -r 16000 -c 1 -b 16 "$2" "${@:3}"; }
streams=()
for s in 0 1 2 3 4 5; do
  parts=()
  for ((i = s; i < ${#voices[@]}; i += 6)); do
    to16k "${voices[$i]}" "$tmp/b$s-$i.wav" norm -6
    parts+=("$tmp/b$s-$i.wav")
  done
  sox "${parts[@]}" "$tmp/stream$s.wav"
  streams+=("$tmp/stream$s.wav")
done
sox -R -m "${streams[@]}" "$tmp/babble.wav" norm -3 trim 0 60
sox -R -n -r 16000 -c 1 -b 16 "$tmp/pink.wav" synth 60 pinknoise norm -3
rm -f "$tmp"/b[0-9]*-*.wav "$tmp"/stream*.wav

rms() { sox "$1" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}'; }
export -f rms to16k

# One recording: its speech trimmed, normalised and padded, and its copies.
render() {
  local out=$1 line=$2
  local corpus kind input name expected source fold
  IFS='|' read -r corpus kind input name expected source fold <<<"$line"
  local tmp="$out/.tmp/$name" dir="$out/$corpus" lines=()
  local in=("$input")
  [[ $input = *.raw ]] && in=(-t raw -r 16000 -e signed -b 16 -c 1 "$input")
  sox -R "${in[@]}" -r 16000 -c 1 -b 16 "$tmp.speech.wav" norm -3 \
    silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse
  mkdir -p "$dir/clean"
  sox -R "$tmp.speech.wav" "$dir/clean/$name.wav" pad 0.5 0.5
  local speech_rms length voiced mixes=()
  speech_rms=$(rms "$tmp.speech.wav")
  length=$(soxi -D "$tmp.speech.wav")
  # Where the voice ends, for the latency: the recording's own faint tail of breath and
  # room (below -30 dB) left out.
  sox "$tmp.speech.wav" "$tmp.voiced.wav" reverse silence 1 0.02 3% reverse
  voiced=$(soxi -D "$tmp.voiced.wav")
  local quiet_end noisy_end
  quiet_end=$(awk -v l="$voiced" 'BEGIN{print l + 0.5}')
  noisy_end=$(awk -v l="$voiced" 'BEGIN{print l + 1}')
  lines+=("clean/$name.wav|$expected|$([ "$kind" = cmd ] && echo clean || echo reject-clean)|$quiet_end")
  case $kind in
  cmd)
    mkdir -p "$dir/narrowband"
    sox -R "$dir/clean/$name.wav" "$dir/narrowband/$name.wav" rate 8000 rate 16000
    lines+=("narrowband/$name.wav|$expected|narrowband|$quiet_end")
    mixes=("pink 20" "pink 10" "babble 20" "babble 10")
    ;;
  rej) mixes=("pink 10") ;;
  esac
  local mix noise snr offset noise_rms gain cond
  for mix in "${mixes[@]}"; do
    read -r noise snr <<<"$mix"
    cond="$noise$snr"
    [ "$kind" = cmd ] || cond="reject-$cond"
    # A stretch of the noise as long as the speech and a second either side, from a
    # place that depends on the name (the same every time).
    offset=$(($(cksum <<<"$name$mix" | cut -d' ' -f1) % 40))
    sox "$out/.tmp/$noise.wav" "$tmp.noise.wav" trim "$offset" "$(awk -v l="$length" 'BEGIN{print l + 2}')"
    noise_rms=$(rms "$tmp.noise.wav")
    gain=$(awk -v s="$speech_rms" -v n="$noise_rms" -v r="$snr" \
      'BEGIN { printf "%.6f", s / (n * exp(log(10) * r / 20)) }')
    mkdir -p "$dir/$cond"
    sox -R "$tmp.speech.wav" "$tmp.padded.wav" pad 1 1
    sox -R -m -v 1 "$tmp.padded.wav" -v "$gain" "$tmp.noise.wav" "$dir/$cond/$name.wav" 2>/dev/null
    lines+=("$cond/$name.wav|$expected|$cond|$noisy_end")
  done
  rm -f "$tmp".*
  local l path cond end
  for l in "${lines[@]}"; do
    IFS='|' read -r path expected cond end <<<"$l"
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$path" "$expected" "$cond" "$source" "$fold" "$end" \
      >>"$out/.tmp/list.$corpus.$$"
  done
}
export -f render

echo "converting $(wc -l <"$jobs_file") recordings into $out with $jobs jobs..."
tr '\n' '\0' <"$jobs_file" | xargs -0 -P "$jobs" -I{} bash -c 'render "$1" "$2"' _ "$out" {}

# Continuous speech: the recordings of the list one after another with 0.4 s of silence
# after each, dealt out in turn to twelve streams of up to ten minutes (so each holds
# every language and some of the game's English), six per fold.
echo "joining $(wc -l <"$tmp/continuous.list") recordings into continuous streams..."
mkdir -p "$tmp/parts" "$out/phrases/continuous"
awk '{ printf "%s|%s/parts/%06d.wav\n", $0, tmp, NR }' tmp="$tmp" "$tmp/continuous.list" |
  tr '\n' '\0' | xargs -0 -P "$jobs" -I{} bash -c \
  'IFS="|" read -r from to <<<"$1"; to16k "$from" "$to" norm -3 pad 0 0.4' _ {}
for s in $(seq 0 11); do
  parts=()
  total=0
  while IFS= read -r part; do
    parts+=("$part")
    total=$(awk -v t="$total" -v d="$(soxi -D "$part")" 'BEGIN { print t + d }')
    awk -v t="$total" 'BEGIN { exit !(t >= 600) }' && break
  done < <(find "$tmp/parts" -name '*.wav' | sort | awk -v s="$s" '(NR - 1) % 12 == s')
  sox "${parts[@]}" "$out/phrases/continuous/stream-$s.wav"
  fold=tune
  ((s % 2 == 0)) || fold=report
  printf 'continuous/stream-%s.wav\t\tcontinuous\tstreams\t%s\n' "$s" "$fold" \
    >>"$tmp/list.phrases.continuous"
done
rm -rf "$tmp/parts"

# Noise alone: babble and pink noise at three levels, ten seconds each.
for corpus in words sentences phrases; do
  mkdir -p "$out/$corpus/noise"
  for noise in babble pink; do
    for level in 0.05 0.2 0.6; do
      sox -R "$tmp/$noise.wav" "$out/$corpus/noise/$noise-$level.wav" trim 5 10 vol "$level"
      printf 'noise/%s\t\tnoise\t%s\ttune\n' "$noise-$level.wav" "$noise" >>"$tmp/list.$corpus.noise"
    done
  done
  sort "$tmp"/list."$corpus".* >"$out/$corpus/list.tsv"
  sort -u "$tmp/$corpus.grammar" >"$out/$corpus/grammar.txt"
done
# The noise alone counts for both folds: half of it each.
sed -i -E '/\tnoise\t/ { /-0\.2\.wav/ s/\ttune$/\treport/ }' "$out"/*/list.tsv
rm -rf "$tmp"
echo "$signature" >"$out/.complete"
for corpus in words sentences phrases; do
  echo "real-voice corpus ready: $out/$corpus/list.tsv ($(wc -l <"$out/$corpus/list.tsv") files," \
    "$(wc -l <"$out/$corpus/grammar.txt") user phrases)"
done
