#!/usr/bin/env python3
"""Sets Whisper's acceptance rule on the tune fold: reads the answers bench_speech wrote
with --verbose (the file TSV.whisper, made with a rule that takes everything:
--set whisperMargin=-1000 --set whisperNoSpeech=1) and prints, for each margin and
no-speech limit, the share of commands heard right and of material to reject that
launched something, and the start-phrase openings per hour of continuous speech; then the
rule that hears the most commands while launching on at most LIMIT % of the speech to
reject and opening at most one start phrase an hour. What Whisper heard word for word is
always taken (margin 1000: that alone).

  tune-whisper.py VERBOSE.whisper [--reject-limit LIMIT] [--stream-hours H]
"""
import argparse
import re
import sys


def bare(text):
    return " ".join(re.sub(r"[^\w' ]+", " ", text).lower().split())


def read(path):
    files = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            cols = line.rstrip("\n").split("\t")
            path_, condition, expected = cols[0], cols[1], cols[2]
            utterances = []
            for u in cols[4:]:
                if not u:
                    continue
                p = u.split("|")
                candidate, score, heard_score = p[0], float(p[1]), float(p[2])
                heard, no_speech = p[9], float(p[11])
                utterances.append((None if candidate == "-" else candidate, score - heard_score,
                                   no_speech, heard))
            files.append((condition, expected, utterances))
    return files


def tally(files, takes, start_phrase):
    commands = correct = reject = launched = openings = 0
    for condition, expected, utterances in files:
        accepted = [u[0] for u in utterances if u[0] and takes(u)]
        if condition == "continuous":
            openings += accepted.count(start_phrase)
        if expected:
            commands += 1
            correct += accepted == [expected]
        elif condition != "continuous":
            reject += 1
            launched += bool(accepted)
    return (100.0 * correct / max(1, commands), 100.0 * launched / max(1, reject), openings)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("verbose")
    parser.add_argument("--reject-limit", type=float, default=5.0)
    parser.add_argument("--stream-hours", type=float, default=1.0)
    parser.add_argument("--start-phrase", default="Computer")
    args = parser.parse_args()
    files = read(args.verbose)
    best = None
    print("%8s %9s %8s %8s %10s" % ("margin", "noSpeech", "heard %", "reject %", "openings/h"))
    for margin in [-30, -25, -20, -16, -12, -10, -8, -6, -5, -4, -3, -2, -1, -0.5, 0, 0.5, 1, 2,
                   1000]:
        for no_speech in [0.3, 0.5, 0.7, 1.0]:
            heard, rejected, openings = tally(
                files, lambda u: bare(u[0]) == bare(u[3]) or (u[1] >= margin and u[2] <= no_speech),
                args.start_phrase)
            per_hour = openings / args.stream_hours
            print("%8.1f %9.1f %8.1f %8.1f %10.1f" % (margin, no_speech, heard, rejected, per_hour))
            if rejected <= args.reject_limit and per_hour <= 1 and (best is None or heard > best[0]):
                best = (heard, rejected, per_hour, margin, no_speech)
    heard, rejected, openings = tally(
        files, lambda u: bare(u[0]) == bare(u[3]), args.start_phrase)
    print("free transcription alone: heard %.1f %%, reject %.1f %%, openings/h %.1f"
          % (heard, rejected, openings / args.stream_hours))
    if best:
        print("chosen: whisperMargin=%g whisperNoSpeech=%g (heard %.1f %%, reject %.1f %%, "
              "openings/h %.1f)" % (best[3], best[4], best[0], best[1], best[2]))
    else:
        print("no rule keeps within the limits")
    return 0


if __name__ == "__main__":
    sys.exit(main())
