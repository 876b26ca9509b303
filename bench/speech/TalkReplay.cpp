#include "bench/speech/TalkReplay.h"

#include "launcher/TalkGate.h"

namespace bench {

QStringList talkAdmitted(const Outcome& o, std::optional<std::pair<double, double>> held)
{
    double now = 0;
    TalkGate gate([&now] { return static_cast<qint64>(now); });
    gate.setEnabled(true);
    bool down = false, up = false;
    QStringList admitted;
    for (const UtteranceEvent& e : o.events) {
        if (held && !down && held->first <= e.ms) {
            now = held->first, down = true;
            gate.keyDown();
        }
        if (held && down && !up && held->second <= e.ms) {
            now = held->second, up = true;
            gate.keyUp();
        }
        now = e.ms;
        if (e.started)
            gate.utteranceStarted();
        else if (gate.admits() && e.phrase)
            admitted << *e.phrase;
    }
    return admitted;
}

} // namespace bench
