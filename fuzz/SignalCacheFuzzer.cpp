// The analytics client's cache file, loaded whatever it holds, and saved again.
#include "FuzzSupport.h"

#include "analytics/SignalCache.h"
#include "support/FakeCacheFileSystem.h"

using namespace tallowmere;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string path = "/Users/quenby/Library/Caches/analyticssignalcache";
    const AnalyticsLogger logger(std::nullopt, false);
    test::FakeCacheFileSystem files;
    files.setFile(path, std::string(fuzz::bytesOf(data, size)));
    SignalCache cache(files, path, logger);
    // Whatever could not be read is kept beside the cache, as it was.
    if (!files.file(path) || *files.file(path) != fuzz::bytesOf(data, size)) {
        const std::vector<std::string> paths = files.paths();
        fuzz::require(paths.size() == 1 && files.file(paths[0]) == fuzz::bytesOf(data, size),
                      "an unreadable cache is moved aside whole");
    }
    // What was loaded is saved and loads again as it was.
    const QByteArray loaded = encodeSignals(cache.pendingSignals());
    fuzz::require(cache.backupCache(), "the cache is saved");
    SignalCache again(files, path, logger);
    fuzz::require(encodeSignals(again.pendingSignals()) == loaded, "a saved cache loads unchanged");
    return 0;
}
