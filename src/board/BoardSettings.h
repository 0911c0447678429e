#pragma once

#include <string>

// The values this build of the application chose for itself: where the store page is, where feedback goes,
// how the connectivity probe is reached. Tests and scripted runs may change them.
struct BoardSettings
{
    std::string storePage = "http://itunes.apple.com/app/velmo/id428024839?mt=8";
    std::string supportAddress = "support@velmo.invalid";
    int storeIdentifier = 428024839;
    std::string storeHost = "itunes.apple.com";
    // The rating prompt's connectivity probe: a small public page.
    std::string probePage = "http://www.apple.com/library/test/success.html";
    double probeTimeout = 20;
    // The "http" tile's read gives up after this many seconds.
    double httpTileTimeout = 20;

    static BoardSettings& shared();
};
