// Whole transfers against kz-sim at line speed (--pace), next to the time their characters take
// on a 9600-baud line (10 bits a character):
//  read:  "0CM1" and five "0RD" exchanges, 162 characters, 168.75 ms;
//  write: two "0CM1" and seven "0WD" exchanges (groups active), from the first frame to the
//         reset offer, 346 characters, 360.42 ms.

#include "core/settings.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "params/data_image.h"
#include "params/parameter_document.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kz;

namespace {

double LineMs(int characters)
{
    return characters * 10 / 9600.0 * 1000;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 10;
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::SimRunner sim({QStringLiteral("--pace")});
    if (!sim.ready())
        return 1;
    LoadLanguage();
    frmMain window;
    window.show();
    ShowParametersOption = true;
    window.ApplyShowParametersLayout();
    window.EditModeLayout();
    window.link().portChoice().keepOpen = true;

    std::vector<double> reads, writes;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!test::RunToEnd([&](auto done) {
                window.session().readParameters([&, done](const Outcome &outcome, const ParameterSet &set) {
                    window.document().staged = set;
                    done(outcome, set);
                });
            }))
            return 1;
        reads.push_back(t.nsecsElapsed() / 1e6);
    }
    ParameterDocument &document = window.document();
    document.makeStagedCurrent();
    if (BuildWriteBlocks(document.current, document.blocks, true) != 0)
        return 1;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        // What the write does between the transmit question and the reset offer.
        if (!test::RunToEnd([&](auto done) { window.session().setCommunicationMode(done); })
            || !test::RunToEnd([&](auto done) { window.session().writeParameters(window.document().current, true, done); }))
            return 1;
        writes.push_back(t.nsecsElapsed() / 1e6);
    }
    const double r = Median(reads), w = Median(writes);
    std::printf("read:  %.2f ms against line time %.2f ms, ratio %.3fx (median of %d; target <= 1.05x)\n", r,
                LineMs(162), r / LineMs(162), rounds);
    std::printf("write: %.2f ms against line time %.2f ms, ratio %.3fx (median of %d; target <= 1.05x)\n", w,
                LineMs(346), w / LineMs(346), rounds);
    return 0;
}
