#!/usr/bin/env bash
# Builds the speech benchmark's corpus in the folder given: the grammar's phrases spoken by
# several espeak-ng voices at two speeds, clean and mixed with noise at 20 and 10 dB SNR,
# and out-of-grammar material (sentences and single words, clean and at 10 dB SNR; noise;
# tones). Everything is 16 kHz mono 16-bit WAV with 0.5 s of silence before and after.
# sox's noise and dither are made repeatable (-R): the same corpus comes out every time.
#
# Writes FOLDER/list.tsv: WAV path (relative to FOLDER), TAB, the expected phrase (empty
# when the file must be rejected), TAB, the condition, TAB, the voice (or "noise", "tone"),
# TAB, the fold: phrases, sentences and words alternate between "tune" (the files
# thresholds are set on) and "report" (those the figures are reported on). A folder that
# is already complete (same script, list written) is left as it is.
#
#   make-corpus.sh FOLDER [JOBS]
set -euo pipefail

out=${1:?usage: make-corpus.sh FOLDER [JOBS]}
jobs=${2:-$(nproc)}
for tool in espeak-ng sox; do
  command -v "$tool" >/dev/null || { echo "make-corpus.sh: $tool is missing" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
signature=$(md5sum <"${BASH_SOURCE[0]}" | cut -d' ' -f1)
if [ -f "$out/list.tsv" ] && [ "$(cat "$out/.complete" 2>/dev/null)" = "$signature" ]; then
  echo "corpus up to date: $out/list.tsv ($(wc -l <"$out/list.tsv") files)"
  exit 0
fi

# The 21 phrases every grammar holds (app/Grammar.cpp), then the start phrase.
builtin=(
  "Exit Sarquen" "Minimize Sarquen" "Maximize Sarquen" "Show Sarquen" "Hide Sarquen"
  "What Time Is It" "Whats The Date" "About Sarquen" "Yes" "No" "Close Window"
  "Show Desktop" "Run Program" "System Properties" "Last" "Next" "Go" "Next Window"
  "Maximize Window" "Minimize Window" "Restore Window"
)
start_phrase="Computer"
# A user's list of commands: everyday programs and some made-up names.
user=(
  "Open Zorvatron" "Sarquen Notes" "My Mail" "Start Blender" "Play Music"
  "Open Calculator" "Kelvaro Report" "Open Browser" "Text Editor" "Open Terminal"
  "File Manager" "Check Weather" "Open Calendar" "Start Drumlix" "Photo Viewer"
  "Video Player" "Open Spreadsheet" "Write Letter" "Quillona Draft" "Open Downloads"
  "Screen Capture" "Volume Control" "Print Document" "Start Backup" "Brevik Tasks"
  "Open Settings" "News Reader" "Tamsel Budget" "Start Game" "Paint Program"
)
phrases=("${builtin[@]}" "$start_phrase" "${user[@]}")

voices=(en-us en-us+f3 en en+m3 en-us+m7 en+f2)
speeds=(140 175)

sentences=(
  "I think we should leave a little earlier tomorrow morning."
  "The weather has been really nice this week."
  "Could you pass me the salt, please?"
  "My brother is coming to visit next month."
  "We need to buy some milk and bread on the way home."
  "That movie was much longer than I expected."
  "Have you seen my keys anywhere?"
  "The meeting has been moved to three o'clock."
  "She plays the piano every evening after dinner."
  "Let's take the dog for a walk before it rains."
  "I can't believe how fast the year has gone by."
  "The train was delayed by twenty minutes again."
  "Remember to water the plants while I'm away."
  "He forgot his umbrella at the office."
  "This coffee is too hot to drink right now."
  "We painted the kitchen a light shade of blue."
  "The children are playing in the garden."
  "I'll call you back as soon as I get home."
  "Do you want to go out for lunch today?"
  "The library closes early on Saturdays."
  "There's a strange noise coming from the car."
  "My phone battery is almost empty."
  "The soup needs a bit more salt."
  "We watched the sunset from the top of the hill."
  "Please close the door quietly, the baby is sleeping."
  "I have been reading a very interesting book."
  "The shop around the corner sells fresh fish."
  "It took us two hours to find a parking space."
  "Could you open the window a little?"
  "What time does the next bus leave?"
  "I'd like to order a large pizza with mushrooms."
  "The neighbours are having a party tonight."
  "She has lived in this town for thirty years."
  "The cat knocked a glass off the table."
  "I need to finish this report before Friday."
  "Our flight was cancelled because of the storm."
  "He always sings in the shower."
  "The museum has a new exhibition about ancient Egypt."
  "Let me know if you need any help."
  "We should plant some tomatoes this spring."
  "The printer has run out of paper again."
  "I usually go jogging along the river."
  "That was the best cake I have ever tasted."
  "The road is closed because of the roadworks."
  "Can you show me how this machine works?"
  "It's going to snow later this afternoon."
  "My grandmother tells wonderful stories."
  "The kids want pancakes for breakfast."
  "I left the laptop charger at my sister's house."
  "The concert starts at eight in the evening."
  "Turn left at the second traffic light."
  "He is learning to speak Spanish."
  "The bakery sells the best bread in town."
  "We are running a little late, sorry."
  "Don't forget to bring a warm jacket."
  "The football match ended in a draw."
  "I'm thinking about painting the fence green."
  "Somebody left the lights on in the garage."
  "The bridge was built more than a century ago."
  "Would you like some more tea?"
  "The dentist appointment is on Tuesday."
  "We found a lovely little restaurant by the sea."
  "My computer has been very slow lately."
  "The teacher gave us a lot of homework."
  "It is much quieter here in the winter."
  "I'll meet you in front of the cinema."
  "They are building a new school down the road."
  "The dog barks every time the postman comes."
  "Can we talk about this later?"
  "I prefer walking to driving in the city."
  "The apples in the orchard are almost ripe."
  "He fixed the bicycle with an old spanner."
  "Let's have dinner on the balcony tonight."
  "The hotel room had a view of the mountains."
  "I lost my glove somewhere in the park."
  "The washing machine is making a funny sound."
  "We ran out of sugar this morning."
  "The song on the radio reminds me of summer."
  "She wrote a letter to her old friend."
  "The price of petrol has gone up again."
  "I need a new pair of running shoes."
  "The baby finally fell asleep."
  "Please remind me to call the plumber."
  "The garden looks beautiful after the rain."
  "We should clean the windows this weekend."
  "He told a really funny joke at dinner."
  "The post office is next to the bank."
  "I'm not sure where I put the scissors."
  "It was too cold to swim in the lake."
  "The old clock in the hall has stopped."
  "Would you mind turning the music down?"
  "The farmers market opens at seven."
  "My neighbour grows enormous pumpkins."
  "The elevator is out of order today."
  "I made a sandwich with cheese and pickles."
  "The birds are singing outside the window."
  "We are planning a trip to the coast."
  "He spilled orange juice all over the floor."
  "The homework is due next Monday."
  "Thanks for helping me move the sofa."
)
words=(
  table water green house because people morning number little simple
  paper answer river garden yellow orange money doctor coffee pencil
  kitchen flower summer winter bottle letter butter mountain city travel
  family holiday animal weather minute picture button carpet basket window
  hello thanks maybe sorry please okay really about after never
)

slug() { tr '[:upper:]' '[:lower:]' <<<"$1" | sed -E "s/[^a-z0-9]+/-/g; s/^-+|-+$//g"; }

rm -rf "$out/clean" "$out/snr20" "$out/snr10" "$out/oog" "$out/oog10" "$out/noise" "$out/tone" \
  "$out/.tmp"
rm -f "$out/list.tsv" "$out/.complete"
mkdir -p "$out/clean" "$out/snr20" "$out/snr10" "$out/oog" "$out/oog10" "$out/noise" "$out/tone" \
  "$out/.tmp"

# Job lines, one file (and its noisy copies) each:
#   phrase SLUG VOICE SPEED NOISE20 NOISE10 TEXT
#   oog    SLUG VOICE SPEED NOISE10 TEXT
#   noise  NAME COLOUR AMPLITUDE SECONDS
#   tone   NAME SOX-SYNTH-ARGUMENTS...
joblist="$out/.tmp/jobs"
: >"$joblist"
list="$out/.tmp/list"
: >"$list"
colours=(pinknoise whitenoise)
folds=(tune report)
for i in "${!phrases[@]}"; do
  p=${phrases[$i]}
  for v in "${!voices[@]}"; do
    k=$(((i + v) % 2))
    name="$(slug "$p").${voices[$v]}.${speeds[$k]}"
    printf 'phrase\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "${voices[$v]}" "${speeds[$k]}" \
      "${colours[$k]}" "${colours[$((1 - k))]}" "$p" >>"$joblist"
    for c in clean snr20 snr10; do
      printf '%s/%s.wav\t%s\t%s\t%s\t%s\n' "$c" "$name" "$p" "$c" "${voices[$v]}" \
        "${folds[$((i % 2))]}" >>"$list"
    done
  done
done
for j in "${!sentences[@]}"; do
  v=$((j % ${#voices[@]}))
  name="sentence-$(printf '%03d' "$j").${voices[$v]}"
  printf 'oog\t%s\t%s\t%s\t%s\t%s\n' "$name" "${voices[$v]}" "${speeds[$(((j / 6) % 2))]}" \
    "${colours[$((j % 2))]}" "${sentences[$j]}" >>"$joblist"
  printf 'oog/%s.wav\t\toog-sentence\t%s\t%s\n' "$name" "${voices[$v]}" "${folds[$((j % 2))]}" >>"$list"
  printf 'oog10/%s.wav\t\toog-snr10\t%s\t%s\n' "$name" "${voices[$v]}" "${folds[$((j % 2))]}" >>"$list"
done
for j in "${!words[@]}"; do
  v=$(((j + 3) % ${#voices[@]}))
  name="word-${words[$j]}.${voices[$v]}"
  printf 'oog\t%s\t%s\t%s\t%s\t%s\n' "$name" "${voices[$v]}" "${speeds[$((j % 2))]}" \
    "${colours[$((j % 2))]}" "${words[$j]}" >>"$joblist"
  printf 'oog/%s.wav\t\toog-word\t%s\t%s\n' "$name" "${voices[$v]}" "${folds[$((j % 2))]}" >>"$list"
  printf 'oog10/%s.wav\t\toog-snr10\t%s\t%s\n' "$name" "${voices[$v]}" "${folds[$((j % 2))]}" >>"$list"
done
n=0
for colour in white pink brown; do
  for amp in 0.02 0.1 0.4; do
    n=$((n + 1))
    name="$colour-$amp"
    printf 'noise\t%s\t%snoise\t%s\t20\n' "$name" "$colour" "$amp" >>"$joblist"
    printf 'noise/%s.wav\t\tnoise\tnoise\t%s\n' "$name" "${folds[$((n % 2))]}" >>"$list"
  done
done
tones=(
  "sweep-up|3 sine 200-4000"
  "sweep-down|3 sine 3000-300"
  "beep-440|0.4 sine 440 pad 0 0.3 repeat 4"
  "beep-1000|0.2 sine 1000 pad 0 0.2 repeat 6"
  "square-300|2 square 300"
  "chirp-triangle|2 triangle 500-1500"
)
for t in "${tones[@]}"; do
  n=$((n + 1))
  printf 'tone\t%s\t%s\n' "${t%%|*}" "${t#*|}" >>"$joblist"
  printf 'tone/%s.wav\t\ttone\ttone\t%s\n' "${t%%|*}" "${folds[$((n % 2))]}" >>"$list"
done

# One job: speech through espeak-ng, resampled and padded; noisy copies mixed at the gain
# that puts the noise's RMS the given number of dB under the speech's.
render() {
  local out=$1 line=$2
  local kind a b c d e f
  IFS=$'\t' read -r kind a b c d e f <<<"$line"
  local tmp="$out/.tmp/$a.$kind"
  case $kind in
  phrase | oog)
    # Phrases get noisy copies at 20 and 10 dB (into snr20/, snr10/), material to reject
    # one at 10 dB (into oog10/).
    local text=$f dir=clean mixes=("20 $d snr20" "10 $e snr10")
    [ "$kind" = oog ] && text=$e dir=oog mixes=("10 $d oog10")
    espeak-ng -v "$b" -s "$c" -w "$tmp.raw.wav" "$text"
    sox -R "$tmp.raw.wav" -r 16000 -c 1 -b 16 "$tmp.speech.wav" norm -3 silence 1 0.01 0.1% reverse \
      silence 1 0.01 0.1% reverse
    sox -R "$tmp.speech.wav" "$out/$dir/$a.wav" pad 0.5 0.5
    local speech_rms noise_rms mix snr colour into gain
    speech_rms=$(sox "$tmp.speech.wav" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}')
    for mix in "${mixes[@]}"; do
      read -r snr colour into <<<"$mix"
      sox -R "$out/$dir/$a.wav" "$tmp.noise.wav" synth "$colour"
      noise_rms=$(sox "$tmp.noise.wav" -n stat 2>&1 | awk '/^RMS +amplitude/ {print $3}')
      gain=$(awk -v s="$speech_rms" -v n="$noise_rms" -v r="$snr" \
        'BEGIN { printf "%.6f", s / (n * exp(log(10) * r / 20)) }')
      sox -R -m -v 1 "$out/$dir/$a.wav" -v "$gain" "$tmp.noise.wav" "$out/$into/$a.wav" \
        2>/dev/null
    done
    rm -f "$tmp".*
    ;;
  noise)
    sox -R -V1 -n -r 16000 -c 1 -b 16 "$out/noise/$a.wav" synth "$d" "$b" vol "$c" pad 0.5 0.5
    ;;
  tone)
    # shellcheck disable=SC2086 # the synth arguments are words on purpose
    sox -R -V1 -n -r 16000 -c 1 -b 16 "$out/tone/$a.wav" synth $b vol 0.3 pad 0.5 0.5
    ;;
  esac
}
export -f render

echo "generating $(wc -l <"$list") files into $out with $jobs jobs..."
tr '\n' '\0' <"$joblist" | xargs -0 -P "$jobs" -I{} bash -c 'render "$1" "$2"' _ "$out" {}

missing=0
while IFS=$'\t' read -r path _; do
  [ -s "$out/$path" ] || { echo "missing: $path" >&2; missing=$((missing + 1)); }
done <"$list"
[ "$missing" -eq 0 ] || { echo "make-corpus.sh: $missing files were not made" >&2; exit 1; }
mv "$list" "$out/list.tsv"
rm -rf "$out/.tmp"
echo "$signature" >"$out/.complete"
echo "corpus ready: $out/list.tsv ($(wc -l <"$out/list.tsv") files)"
