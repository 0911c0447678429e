#include "system/Keychain.h"

#include "foundation/Array.h"
#include "foundation/Clock.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Number.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sec {
namespace {

struct DatabaseDeleter
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementDeleter
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseDeleter>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// A damaged file answers with these; it is set aside and a new one made.
bool damaged(int code)
{
    code &= 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

// One open store: the connection, its prepared statements by text, and the file it was opened on. The
// statements are finalised before the connection closes (members go in reverse order).
struct Store
{
    int folder = -1; // a long path is opened through this descriptor of its folder
    Database db;
    std::map<std::string, Statement, std::less<>> statements;
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    int lastCode = SQLITE_OK; // what the last failing call answered

    // What single-item reads found (the data, or nothing), kept while the file does not change. Every
    // change to the file, from any process, is an event on `watch` (the file and its folder, journals
    // included); the first read after one forgets everything. Without a watch nothing is kept.
    int watch = -1;
    std::map<std::string, std::optional<std::vector<uint8_t>>, std::less<>> known; // by knownKey

    ~Store()
    {
        statements.clear();
        db.reset();
        if (folder >= 0)
            ::close(folder);
        if (watch >= 0)
            ::close(watch);
    }

    // Starts watching the file, opened as `name`, and its folder; reads are then kept.
    void watchFile(const std::string& name, const std::string& folderName)
    {
        watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watch < 0)
            return;
        constexpr uint32_t changes = IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB;
        if (inotify_add_watch(watch, folderName.c_str(), changes) < 0 ||
            inotify_add_watch(watch, name.c_str(), changes) < 0) {
            ::close(watch);
            watch = -1;
        }
    }

    // Forgets what was read when the file or its folder has changed since the last look.
    void forgetIfChanged()
    {
        alignas(inotify_event) char events[4096];
        bool changed = false;
        for (;;) {
            ssize_t got = ::read(watch, events, sizeof events);
            if (got > 0) {
                changed = true;
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && errno != EAGAIN)
                changed = true; // the watch cannot say: nothing read before is trusted
            break;
        }
        if (changed)
            known.clear();
    }

    // The service's length, the service, then the account: one text per item, whatever they hold.
    static std::string knownKey(const std::string& service, const std::string& account)
    {
        return std::to_string(service.size()) + ':' + service + account;
    }

    // What an earlier read found for the item, when it still holds.
    const std::optional<std::vector<uint8_t>>* knownItem(const std::string& key)
    {
        if (watch < 0)
            return nullptr;
        forgetIfChanged();
        auto found = known.find(key);
        return found == known.end() ? nullptr : &found->second;
    }
};

struct State
{
    std::mutex mutex;
    bool inMemory = false;
    std::unique_ptr<Store> memory; // the in-memory store lives as long as the mode
    std::unique_ptr<Store> file;   // the home's file, kept open until the home changes
    std::optional<OSStatus> forced;
};

State& state()
{
    static State* shared = new State(); // used by threads until exit
    return *shared;
}

constexpr const char* kSchema = "CREATE TABLE IF NOT EXISTS items ("
                                " service TEXT NOT NULL, account TEXT NOT NULL, data BLOB NOT NULL,"
                                " created REAL NOT NULL, modified REAL NOT NULL,"
                                " PRIMARY KEY (service, account))";

// SQLite's unix files take paths of at most 512 bytes, journal names included. A longer one is opened as
// "/proc/self/fd/N/keychain.sqlite" through a descriptor of its folder, and this layer over the unix one
// keeps that short name as it is rather than resolving it into the long path again.
constexpr std::size_t kLongestPath = 512 - sizeof("-journal");

int keepFullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    std::size_t length = std::strlen(name);
    if (length + 1 > static_cast<std::size_t>(size))
        return SQLITE_CANTOPEN;
    std::memcpy(out, name, length + 1);
    return SQLITE_OK;
}

const char* shortPathVfs()
{
    static const char* name = [] {
        static sqlite3_vfs layer = *sqlite3_vfs_find(nullptr);
        layer.zName = "velmo-folder-descriptor";
        layer.pNext = nullptr;
        layer.xFullPathname = keepFullPathname;
        sqlite3_vfs_register(&layer, 0);
        return layer.zName;
    }();
    return name;
}

// The store's folder and file, private whoever made them; the file is made with owner-only rights before
// SQLite sees it, and SQLite gives its journal the same rights.
bool prepareFile(const std::string& file)
{
    std::string folder = ns::Sandbox::keychainsPath();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno == ENOENT)
        ns::FileManager::createDirectoryAtPath(folder, true);
    ::chmod(folder.c_str(), 0700); // mkdir's mode does nothing for a folder that exists already
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
}

// Opens the store on the file and makes the schema; nothing when it cannot, with the code in `code`.
std::unique_ptr<Store> openFile(const std::string& file, int& code)
{
    code = SQLITE_CANTOPEN;
    if (!prepareFile(file))
        return nullptr;
    auto store = std::make_unique<Store>();
    store->path = file;
    std::string name = file;
    const char* vfs = nullptr;
    if (file.size() > kLongestPath) {
        store->folder = ::open(ns::Sandbox::keychainsPath().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (store->folder < 0)
            return nullptr;
        name = "/proc/self/fd/" + std::to_string(store->folder) + "/keychain.sqlite";
        vfs = shortPathVfs();
    }
    sqlite3* db = nullptr;
    // Every use is under the state's lock, so the connection needs no mutex of its own.
    code = sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, vfs);
    store->db.reset(db);
    if (code != SQLITE_OK)
        return nullptr;
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    code = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return nullptr;
    struct stat info;
    if (::stat(file.c_str(), &info) == 0) {
        store->device = info.st_dev;
        store->inode = info.st_ino;
    }
    store->watchFile(name,
                     vfs ? "/proc/self/fd/" + std::to_string(store->folder) : ns::Sandbox::keychainsPath());
    return store;
}

std::unique_ptr<Store> openMemory()
{
    auto store = std::make_unique<Store>();
    sqlite3* db = nullptr;
    int code = sqlite3_open(":memory:", &db);
    store->db.reset(db);
    if (code != SQLITE_OK || sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
        return nullptr;
    return store;
}

// Moves a damaged file aside under the first free name ("keychain.damaged.sqlite", then
// "keychain.damaged-2.sqlite"...), with its journal beside it, so that nothing overwrites it and the
// journal is never played into the new file. Only the file that was opened is moved: one that another
// process has made since stays.
void setAside(const Store& store)
{
    struct stat info;
    if (::stat(store.path.c_str(), &info) != 0 || info.st_ino != store.inode || info.st_dev != store.device)
        return;
    std::string folder = ns::Sandbox::keychainsPath();
    for (int number = 1; number < 1000; ++number) {
        std::string to = folder + (number == 1 ? std::string("/keychain.damaged.sqlite")
                                               : "/keychain.damaged-" + std::to_string(number) + ".sqlite");
        // A hard link never replaces a name that is taken.
        if (::link(store.path.c_str(), to.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            return;
        }
        ::unlink(store.path.c_str());
        std::string journal = store.path + "-journal";
        if (::link(journal.c_str(), (to + "-journal").c_str()) == 0)
            ::unlink(journal.c_str());
        ns::log("The keychain could not be read; it was set aside as %s and a new one made", to);
        return;
    }
}

// The store to use: the in-memory one, or the home's file, opened once and kept while the home stays the
// same. A damaged file is set aside and a new one made.
Store* open(State& s)
{
    if (s.inMemory) {
        if (!s.memory)
            s.memory = openMemory();
        return s.memory.get();
    }
    std::string file = Keychain::path();
    if (s.file && s.file->path == file)
        return s.file.get();
    s.file.reset();
    int code;
    s.file = openFile(file, code);
    if (!s.file && damaged(code)) {
        Store opened;
        opened.path = file;
        struct stat info;
        if (::stat(file.c_str(), &info) == 0) {
            opened.device = info.st_dev;
            opened.inode = info.st_ino;
        }
        setAside(opened);
        s.file = openFile(file, code);
    }
    return s.file.get();
}

// The statement for the text, prepared once per store and kept; reset and unbound for this use.
sqlite3_stmt* statement(Store& store, std::string_view sql)
{
    auto found = store.statements.find(sql);
    if (found == store.statements.end()) {
        sqlite3_stmt* prepared = nullptr;
        store.lastCode = sqlite3_prepare_v3(store.db.get(), sql.data(), static_cast<int>(sql.size()),
                                            SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
        if (store.lastCode != SQLITE_OK) {
            sqlite3_finalize(prepared);
            return nullptr;
        }
        found = store.statements.emplace(std::string(sql), Statement(prepared)).first;
    }
    sqlite3_stmt* prepared = found->second.get();
    sqlite3_reset(prepared);
    sqlite3_clear_bindings(prepared);
    return prepared;
}

// A kept statement in use: reset when the use ends, so that a finished read holds no lock on the file.
class Use
{
public:
    Use(Store& store, std::string_view sql) : m_statement(statement(store, sql)) {}
    ~Use()
    {
        if (m_statement)
            sqlite3_reset(m_statement);
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    sqlite3_stmt* get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }

private:
    sqlite3_stmt* m_statement;
};

// Runs a statement without results ("BEGIN IMMEDIATE", "COMMIT"...); whether it was done.
bool execute(Store& store, std::string_view sql)
{
    Use use(store, sql);
    if (!use)
        return false;
    store.lastCode = sqlite3_step(use.get());
    return store.lastCode == SQLITE_DONE;
}

// One change as one transaction: everything or nothing reaches the file. Whatever ends it short (a
// failed step, a commit that could not be made) rolls it back, so the kept connection is never left
// inside a transaction.
class Transaction
{
public:
    explicit Transaction(Store& store) : m_store(store) { m_open = execute(store, "BEGIN IMMEDIATE"); }
    ~Transaction()
    {
        if (!sqlite3_get_autocommit(m_store.db.get()))
            sqlite3_exec(m_store.db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool isOpen() const { return m_open; }
    bool commit() { return m_open && execute(m_store, "COMMIT"); }

private:
    Store& m_store;
    bool m_open;
};

// What a query names. Wrong types make the query a parameter error.
struct Query
{
    std::optional<std::string> service;
    std::optional<std::string> account;
    ns::Ref<ns::Data> data;
    bool returnData = false;
    bool returnAttributes = false;
    bool all = false;
};

bool truth(const ns::Id& value)
{
    if (auto number = ns::cast<ns::Number>(value))
        return number->boolValue();
    return false;
}

bool readQuery(const ns::Dictionary& dictionary, Query& query)
{
    auto itemClass = dictionary.stringForKey(kSecClass);
    if (!itemClass || *itemClass != kSecClassGenericPassword)
        return false;
    for (auto [key, field] :
         {std::pair{kSecAttrService, &query.service}, std::pair{kSecAttrAccount, &query.account}}) {
        ns::Id value = dictionary.objectForKey(std::string_view(key));
        if (!value)
            continue;
        auto text = ns::cast<ns::String>(value);
        if (!text)
            return false;
        *field = text->str();
    }
    if (ns::Id data = dictionary.objectForKey(std::string_view(kSecValueData))) {
        query.data = ns::cast<ns::Data>(data);
        if (!query.data || query.data->length() > (16u << 20)) // a secret, not a file
            return false;
    }
    query.returnData = truth(dictionary.objectForKey(std::string_view(kSecReturnData)));
    query.returnAttributes = truth(dictionary.objectForKey(std::string_view(kSecReturnAttributes)));
    if (auto limit = dictionary.stringForKey(kSecMatchLimit)) {
        if (*limit == kSecMatchLimitAll)
            query.all = true;
        else if (*limit != kSecMatchLimitOne)
            return false;
    }
    return true;
}

std::string whereClause(const Query& query)
{
    std::string clause = " WHERE 1";
    if (query.service)
        clause += " AND service = ?1";
    if (query.account)
        clause += " AND account = ?2";
    return clause;
}

// The select for a query's shape, its text made once. Service and account together name at most one item
// (they are the key), so that read needs no ordering.
const std::string& selectFor(const Query& query)
{
    static const std::array<std::string, 8> texts = [] {
        std::array<std::string, 8> made;
        for (int shape = 0; shape < 8; ++shape) {
            Query q;
            if (shape & 1)
                q.service = "";
            if (shape & 2)
                q.account = "";
            q.all = (shape & 4) != 0;
            made[static_cast<std::size_t>(shape)] =
                "SELECT service, account, data, created, modified FROM items" + whereClause(q) +
                (q.service && q.account ? "" : " ORDER BY created, rowid") + (q.all ? "" : " LIMIT 1");
        }
        return made;
    }();
    return texts[(query.service ? 1u : 0u) | (query.account ? 2u : 0u) | (query.all ? 4u : 0u)];
}

void bindText(sqlite3_stmt* statement, int index, const std::string& text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void bindQuery(sqlite3_stmt* statement, const Query& query)
{
    if (query.service)
        bindText(statement, 1, *query.service);
    if (query.account)
        bindText(statement, 2, *query.account);
}

// Bytes as a blob; empty bytes are an empty blob, not NULL (which the table refuses).
void bindBytes(sqlite3_stmt* statement, int index, const uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        sqlite3_bind_zeroblob(statement, index, 0);
    else
        sqlite3_bind_blob(statement, index, bytes, static_cast<int>(size), SQLITE_TRANSIENT);
}

struct Item
{
    std::string service;
    std::string account;
    std::vector<uint8_t> data;
    double created = 0;
    double modified = 0;
};

std::string column(sqlite3_stmt* statement, int index)
{
    const unsigned char* text = sqlite3_column_text(statement, index);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(statement, index)))
                : std::string();
}

ns::Id describeItem(const Item& item, const Query& query)
{
    auto data = ns::Data::make(item.data);
    if (!query.returnAttributes)
        return data;
    auto attributes = ns::MutableDictionary::make();
    attributes->setObject(ns::String::make(kSecClassGenericPassword), kSecClass);
    attributes->setObject(ns::String::make(item.service), kSecAttrService);
    attributes->setObject(ns::String::make(item.account), kSecAttrAccount);
    attributes->setObject(ns::Date::withTimeIntervalSince1970(item.created), kSecAttrCreationDate);
    attributes->setObject(ns::Date::withTimeIntervalSince1970(item.modified), kSecAttrModificationDate);
    if (query.returnData)
        attributes->setObject(data, kSecValueData);
    return attributes;
}

bool forced(State& s, OSStatus& status)
{
    if (!s.forced)
        return false;
    status = *s.forced;
    s.forced.reset();
    return true;
}

// What a failed step or statement answers: a constraint is a duplicate, anything else an I/O error.
OSStatus failure(Store& store, int code)
{
    store.lastCode = code;
    return (code & 0xff) == SQLITE_CONSTRAINT ? errSecDuplicateItem : errSecIO;
}

// Runs a change of the matching items and commits it: not found when nothing matched.
OSStatus changeMatching(Store& store, sqlite3_stmt* change, Transaction& transaction)
{
    int step = sqlite3_step(change);
    if (step != SQLITE_DONE)
        return failure(store, step);
    if (sqlite3_changes(store.db.get()) == 0)
        return errSecItemNotFound;
    return transaction.commit() ? errSecSuccess : errSecIO;
}

// Every operation's frame: the forced answer, the query read from the dictionary, the store opened, then
// the operation's own statements. A store found damaged on the way is set aside, and the operation made
// once more on a new one.
template <class Body> OSStatus run(const ns::Dictionary& dictionary, Query& query, Body body)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    OSStatus status;
    if (forced(s, status))
        return status;
    if (!readQuery(dictionary, query))
        return errSecParam;
    for (int attempt = 0;; ++attempt) {
        Store* store = open(s);
        if (!store)
            return errSecIO;
        store->lastCode = SQLITE_OK;
        status = body(*store);
        if (status != errSecIO || !damaged(store->lastCode) || attempt > 0 || s.inMemory)
            return status;
        setAside(*store);
        s.file.reset();
    }
}

} // namespace

std::string Keychain::path()
{
    return ns::Sandbox::keychainsPath() + "/keychain.sqlite";
}

void Keychain::setInMemory(bool inMemory)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.inMemory = inMemory;
    s.memory.reset();
    s.file.reset(); // opened anew, as after a restart
}

void Keychain::failNextWith(OSStatus status)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.forced = status;
}

OSStatus itemAdd(const ns::Dictionary& attributes, ns::Id* result)
{
    if (result)
        *result = nullptr;
    Query query;
    return run(attributes, query, [&](Store& store) {
        store.known.clear(); // what was read before may not hold after this
        Item item{query.service.value_or(""), query.account.value_or(""),
                  query.data ? query.data->bytes() : std::vector<uint8_t>(), 0, 0};
        item.created = item.modified = ns::Clock::current().now();
        Transaction transaction(store);
        if (!transaction.isOpen())
            return errSecIO;
        Use insert(store, "INSERT INTO items (service, account, data, created, modified)"
                          " VALUES (?1, ?2, ?3, ?4, ?5)");
        if (!insert)
            return errSecIO;
        bindText(insert.get(), 1, item.service);
        bindText(insert.get(), 2, item.account);
        bindBytes(insert.get(), 3, item.data.data(), item.data.size());
        sqlite3_bind_double(insert.get(), 4, item.created);
        sqlite3_bind_double(insert.get(), 5, item.modified);
        int step = sqlite3_step(insert.get());
        if (step != SQLITE_DONE)
            return failure(store, step);
        if (!transaction.commit())
            return errSecIO;
        if (result && (query.returnData || query.returnAttributes))
            *result = describeItem(item, query);
        return errSecSuccess;
    });
}

namespace {

// The answer to a read of one item's data: the data when it was asked for, or not found.
OSStatus answerOne(const std::optional<std::vector<uint8_t>>& found, const Query& query, ns::Id* result)
{
    if (!found)
        return errSecItemNotFound;
    if (result && query.returnData)
        *result = ns::Data::make(*found);
    return errSecSuccess;
}

} // namespace

OSStatus itemCopyMatching(const ns::Dictionary& dictionary, ns::Id* result)
{
    if (result)
        *result = nullptr;
    Query query;
    return run(dictionary, query, [&](Store& store) {
        // A single item named by its service and account may have been read already.
        std::string key;
        if (query.service && query.account && !query.all && !query.returnAttributes) {
            key = Store::knownKey(*query.service, *query.account);
            if (auto* known = store.knownItem(key))
                return answerOne(*known, query, result);
        }
        Use select(store, selectFor(query));
        if (!select)
            return errSecIO;
        bindQuery(select.get(), query);
        // The common read, one item's data, goes straight from the row into the result, and is kept.
        if (!query.all && !query.returnAttributes) {
            int step = sqlite3_step(select.get());
            if (step != SQLITE_ROW && step != SQLITE_DONE)
                return failure(store, step);
            std::optional<std::vector<uint8_t>> found;
            if (step == SQLITE_ROW) {
                auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(select.get(), 2));
                found.emplace(bytes, bytes + sqlite3_column_bytes(select.get(), 2));
            }
            if (!key.empty() && store.watch >= 0)
                store.known[key] = found;
            return answerOne(found, query, result);
        }
        std::vector<Item> items;
        int step;
        while ((step = sqlite3_step(select.get())) == SQLITE_ROW) {
            Item item;
            item.service = column(select.get(), 0);
            item.account = column(select.get(), 1);
            auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(select.get(), 2));
            item.data.assign(bytes, bytes + sqlite3_column_bytes(select.get(), 2));
            item.created = sqlite3_column_double(select.get(), 3);
            item.modified = sqlite3_column_double(select.get(), 4);
            items.push_back(std::move(item));
        }
        if (step != SQLITE_DONE)
            return failure(store, step);
        if (items.empty())
            return errSecItemNotFound;
        if (!result || (!query.returnData && !query.returnAttributes))
            return errSecSuccess;
        if (!query.all) {
            *result = describeItem(items.front(), query);
            return errSecSuccess;
        }
        auto list = ns::MutableArray::make();
        for (const auto& item : items)
            list->addObject(describeItem(item, query));
        *result = list;
        return errSecSuccess;
    });
}

OSStatus itemUpdate(const ns::Dictionary& dictionary, const ns::Dictionary& changes)
{
    // The changes need no class of their own.
    auto withClass = changes.mutableCopy();
    withClass->setObject(ns::String::make(kSecClassGenericPassword), kSecClass);
    Query update;
    bool changesSomething =
        readQuery(*withClass, update) && (update.service || update.account || update.data);
    Query query;
    return run(dictionary, query, [&](Store& store) {
        if (!changesSomething)
            return errSecParam;
        store.known.clear(); // what was read before may not hold after this
        Transaction transaction(store);
        if (!transaction.isOpen())
            return errSecIO;
        std::string sql = "UPDATE items SET modified = ?3";
        if (update.service)
            sql += ", service = ?4";
        if (update.account)
            sql += ", account = ?5";
        if (update.data)
            sql += ", data = ?6";
        Use change(store, sql + whereClause(query));
        if (!change)
            return errSecIO;
        bindQuery(change.get(), query);
        sqlite3_bind_double(change.get(), 3, ns::Clock::current().now());
        if (update.service)
            bindText(change.get(), 4, *update.service);
        if (update.account)
            bindText(change.get(), 5, *update.account);
        if (update.data)
            bindBytes(change.get(), 6, update.data->data(), update.data->length());
        return changeMatching(store, change.get(), transaction);
    });
}

OSStatus itemDelete(const ns::Dictionary& dictionary)
{
    Query query;
    return run(dictionary, query, [&](Store& store) {
        store.known.clear(); // what was read before may not hold after this
        Transaction transaction(store);
        if (!transaction.isOpen())
            return errSecIO;
        Use remove(store, "DELETE FROM items" + whereClause(query));
        if (!remove)
            return errSecIO;
        bindQuery(remove.get(), query);
        return changeMatching(store, remove.get(), transaction);
    });
}

} // namespace sec
