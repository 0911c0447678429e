// Where the simulated device is: velmo --location and the script command "location", run as a user runs
// them. What the position does for a sharer is shown by the check-in sharer's own scripted run.
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

namespace {

TEST(LocationOption, ThePositionIsGivenInDegreesOrSwitchedOff)
{
    testkit::TemporaryHome home;
    std::string moves =
        scriptOption(home, "moves.script", "location 40.4168 -3.7038\nwait 1\nlocation off\nlocation 0 0\n");
    std::string words = scriptOption(home, "words.script", "wait 0.1\nlocation north\n");
    std::string far = scriptOption(home, "far.script", "location 90.5 0\n");
    struct Row
    {
        const char* name;
        std::string arguments;
        int status;
        std::string error;
    } rows[] = {
        {"a position, then moves and off", std::string("--location 48.8566,2.3522 ").append(moves), 0, ""},
        {"negative degrees", "--location -33.8688,151.2093 --script /dev/null", 0, ""},
        {"no comma", "--location 48.8566 --script /dev/null", 2,
         "velmo: --location is LATITUDE,LONGITUDE in degrees (48.8566,2.3522), not \"48.8566\"\n"
         "(velmo --help lists the options)\n"},
        {"beyond the pole", "--location 91,0 --script /dev/null", 2,
         "velmo: --location is LATITUDE,LONGITUDE in degrees (48.8566,2.3522), not \"91,0\"\n"
         "(velmo --help lists the options)\n"},
        {"not a number in a script", words, 2,
         "velmo: script line 2: location needs LATITUDE LONGITUDE in degrees, or off\n"},
        {"beyond the pole in a script", far, 2,
         "velmo: script line 1: location needs LATITUDE LONGITUDE in degrees, or off\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmoRun run = velmo(home, row.arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.err, row.error);
    }
}

} // namespace
