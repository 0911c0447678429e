// Where the sharing framework keeps things: reading credentials from the keychain against plain SQLite on
// the same file, queueing a share when the offline queue holds 1,000 against queueing the first, and
// reading a 1,000-entry queue back against libplist reading the same file. Everything lives in a
// temporary home; the writes are the real atomic, fsynced ones.
#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "kit/Comparisons.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/SSKeychain.h"
#include "system/Keychain.h"
#include "testing/TemporaryHome.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 1000;

testkit::TemporaryHome& home()
{
    static testkit::TemporaryHome shared; // removed at exit, files and all
    return shared;
}

std::string service(int i)
{
    return ns::format("SHK_AUTH_SHKService%i", i % 20);
}
std::string account(int i)
{
    return ns::format("account%i", i);
}

// 1,000 credentials in the home's keychain file, stored once.
void fillKeychain()
{
    static bool filled = [] {
        home();
        sec::Keychain::setInMemory(false);
        for (int i = 0; i < kItems; ++i)
            SSKeychain::setPassword(ns::format("secret-%i-of-a-service", i), service(i), account(i));
        return true;
    }();
    (void)filled;
}

void OursKeychainRead(benchmark::State& state)
{
    fillKeychain();
    for (auto _ : state)
        for (int i = 0; i < kItems; ++i) {
            auto password = SSKeychain::passwordForService(service(i), account(i));
            if (!password) {
                state.SkipWithError("an item is missing");
                return;
            }
            benchmark::DoNotOptimize(password->data());
        }
}

// The same items read with SQLite alone: one connection, one prepared statement.
void SqliteKeychainRead(benchmark::State& state)
{
    fillKeychain();
    sqlite3* db = nullptr;
    sqlite3_open_v2(sec::Keychain::path().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> holder(db, sqlite3_close);
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT data FROM items WHERE service = ?1 AND account = ?2", -1, &select,
                       nullptr);
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(select, sqlite3_finalize);
    for (auto _ : state)
        for (int i = 0; i < kItems; ++i) {
            std::string s = service(i), a = account(i);
            sqlite3_bind_text(select, 1, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(select, 2, a.data(), static_cast<int>(a.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(select) != SQLITE_ROW) {
                state.SkipWithError("an item is missing");
                return;
            }
            std::string password(static_cast<const char*>(sqlite3_column_blob(select, 0)),
                                 static_cast<std::size_t>(sqlite3_column_bytes(select, 0)));
            benchmark::DoNotOptimize(password.data());
            sqlite3_reset(select);
        }
}

ns::Ref<SHKItem> share(int i)
{
    return SHKItem::URL(ns::URL::withString(ns::format("http://example.com/page/%i?from=velmo", i)),
                        ns::format("A page worth reading, number %i", i));
}

void configure()
{
    static bool configured = [] {
        home();
        SHKConfiguration::sharedInstanceWithConfigurator(DefaultSHKConfigurator::create());
        return true;
    }();
    (void)configured;
}

std::string lastUid()
{
    auto list = SHK::getOfflineQueueList();
    auto entry = list && list->count() ? list->objectAs<ns::Dictionary>(list->count() - 1) : nullptr;
    return entry ? entry->stringForKey("uid").value_or("") : std::string();
}

// Queueing one share onto a queue that holds `before` entries; the entry is taken out again, untimed.
void queueOnto(benchmark::State& state, int before)
{
    configure();
    ns::FileManager::removeItemAtPath(SHK::offlineQueuePath());
    for (int i = 0; i < before; ++i)
        SHK::addToOfflineQueue(share(i), "SHKPinboard");
    for (auto _ : state) {
        if (!SHK::addToOfflineQueue(share(before), "SHKPinboard")) {
            state.SkipWithError("the share was not queued");
            return;
        }
        state.PauseTiming();
        SHK::removeFromOfflineQueue(lastUid());
        state.ResumeTiming();
    }
}

void QueueFirst(benchmark::State& state)
{
    queueOnto(state, 0);
}
void QueueThousandth(benchmark::State& state)
{
    queueOnto(state, kItems - 1);
}

// A queue file of 1,000 shares, written once.
const std::string& queueFile()
{
    static std::string path = [] {
        configure();
        auto list = ns::MutableArray::make();
        for (int i = 0; i < kItems; ++i) {
            auto entry = ns::MutableDictionary::make();
            entry->setObject(share(i)->dictionaryRepresentation(), "item");
            entry->setObject(ns::String::make("SHKPinboard"), "sharer");
            entry->setObject(ns::String::make(ns::format("SHKPinboard-1-1700000000-%i", i)), "uid");
            list->addObject(entry);
        }
        std::string file = home().file("queue-1000.plist");
        ns::PropertyList::writePropertyList(list, file);
        return file;
    }();
    return path;
}

// Both read the file and parse it into their own values.
void OursQueueRead(benchmark::State& state)
{
    const std::string& path = queueFile();
    for (auto _ : state) {
        auto list = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(path));
        if (!list || list->count() != kItems) {
            state.SkipWithError("the queue was not read");
            return;
        }
        benchmark::DoNotOptimize(list.get());
    }
}

void LibplistQueueRead(benchmark::State& state)
{
    const std::string& path = queueFile();
    for (auto _ : state) {
        auto bytes = ns::FileManager::contentsAtPath(path);
        plist_t root = nullptr;
        plist_from_xml(reinterpret_cast<const char*>(bytes->view().data()),
                       static_cast<uint32_t>(bytes->length()), &root);
        if (!root || plist_array_get_size(root) != kItems) {
            state.SkipWithError("the queue was not read");
            return;
        }
        benchmark::DoNotOptimize(root);
        plist_free(root);
    }
}

BENCHMARK(OursKeychainRead)->Name("keychain/read1000/ours");
BENCHMARK(SqliteKeychainRead)->Name("keychain/read1000/sqlite");
BENCHMARK(QueueThousandth)->Name("queue/add/1000th")->UseRealTime();
BENCHMARK(QueueFirst)->Name("queue/add/first")->UseRealTime();
BENCHMARK(OursQueueRead)->Name("queue/read1000/ours");
BENCHMARK(LibplistQueueRead)->Name("queue/read1000/libplist");

} // namespace

int main(int argc, char** argv)
{
    return benchkit::runComparisons(
        argc, argv,
        {{"keychain: read 1,000 items, vs plain SQLite", "keychain/read1000/ours",
          "keychain/read1000/sqlite"},
         {"queue the 1,000th share, vs the first", "queue/add/1000th/real_time", "queue/add/first/real_time"},
         {"read a 1,000-entry queue, vs libplist", "queue/read1000/ours", "queue/read1000/libplist"}});
}
