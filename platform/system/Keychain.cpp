#include "system/Keychain.h"

#include "foundation/Array.h"
#include "foundation/Clock.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"

#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
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

struct State
{
    std::mutex mutex;
    bool inMemory = false;
    Database memory; // the in-memory store lives as long as the mode
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

bool prepareSchema(sqlite3* db)
{
    return sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The store to use, opened for this operation (the home can change between operations).
sqlite3* open(State& s, Database& holder)
{
    if (s.inMemory) {
        if (!s.memory) {
            sqlite3* db = nullptr;
            if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
                sqlite3_close(db);
                return nullptr;
            }
            s.memory.reset(db);
            if (!prepareSchema(db)) {
                s.memory.reset();
                return nullptr;
            }
        }
        return s.memory.get();
    }
    std::string file = Keychain::path();
    // The folder is private whoever made it: mkdir's mode does nothing for one that exists already.
    std::string folder = ns::Sandbox::keychainsPath();
    ::mkdir(folder.c_str(), 0700);
    ::chmod(folder.c_str(), 0700);
    // Made with owner-only rights before SQLite sees it; SQLite gives its journal the same rights.
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    ::fchmod(fd, 0600);
    ::close(fd);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    holder.reset(db);
    sqlite3_busy_timeout(db, 2000);
    if (!prepareSchema(db))
        return nullptr;
    return db;
}

Statement prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(statement);
}

// One change as one transaction: everything or nothing reaches the file.
class Transaction
{
public:
    explicit Transaction(sqlite3* db) : m_db(db)
    {
        m_open = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~Transaction()
    {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool isOpen() const { return m_open; }
    bool commit()
    {
        if (!m_open)
            return false;
        m_open = false;
        return sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3* m_db;
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

void bindQuery(sqlite3_stmt* statement, const Query& query)
{
    if (query.service)
        sqlite3_bind_text(statement, 1, query.service->data(), static_cast<int>(query.service->size()),
                          SQLITE_TRANSIENT);
    if (query.account)
        sqlite3_bind_text(statement, 2, query.account->data(), static_cast<int>(query.account->size()),
                          SQLITE_TRANSIENT);
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
    State& s = state();
    std::lock_guard lock(s.mutex);
    OSStatus status;
    if (forced(s, status))
        return status;
    Query query;
    if (!readQuery(attributes, query))
        return errSecParam;
    Database holder;
    sqlite3* db = open(s, holder);
    if (!db)
        return errSecIO;
    Item item{query.service.value_or(""), query.account.value_or(""),
              query.data ? query.data->bytes() : std::vector<uint8_t>(), 0, 0};
    item.created = item.modified = ns::Clock::current().now();
    Transaction transaction(db);
    if (!transaction.isOpen())
        return errSecIO;
    auto insert = prepare(
        db, "INSERT INTO items (service, account, data, created, modified) VALUES (?1, ?2, ?3, ?4, ?5)");
    if (!insert)
        return errSecIO;
    sqlite3_bind_text(insert.get(), 1, item.service.data(), static_cast<int>(item.service.size()),
                      SQLITE_TRANSIENT);
    sqlite3_bind_text(insert.get(), 2, item.account.data(), static_cast<int>(item.account.size()),
                      SQLITE_TRANSIENT);
    bindBytes(insert.get(), 3, item.data.data(), item.data.size());
    sqlite3_bind_double(insert.get(), 4, item.created);
    sqlite3_bind_double(insert.get(), 5, item.modified);
    int step = sqlite3_step(insert.get());
    if (step == SQLITE_CONSTRAINT)
        return errSecDuplicateItem;
    if (step != SQLITE_DONE || !transaction.commit())
        return errSecIO;
    if (result && (query.returnData || query.returnAttributes))
        *result = describeItem(item, query);
    return errSecSuccess;
}

OSStatus itemCopyMatching(const ns::Dictionary& dictionary, ns::Id* result)
{
    if (result)
        *result = nullptr;
    State& s = state();
    std::lock_guard lock(s.mutex);
    OSStatus status;
    if (forced(s, status))
        return status;
    Query query;
    if (!readQuery(dictionary, query))
        return errSecParam;
    Database holder;
    sqlite3* db = open(s, holder);
    if (!db)
        return errSecIO;
    auto select =
        prepare(db, "SELECT service, account, data, created, modified FROM items" + whereClause(query) +
                        " ORDER BY created, rowid" + (query.all ? "" : " LIMIT 1"));
    if (!select)
        return errSecIO;
    bindQuery(select.get(), query);
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
        return errSecIO;
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
}

OSStatus itemUpdate(const ns::Dictionary& dictionary, const ns::Dictionary& changes)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    OSStatus status;
    if (forced(s, status))
        return status;
    Query query;
    if (!readQuery(dictionary, query))
        return errSecParam;
    // The changes need no class of their own.
    auto withClass = changes.mutableCopy();
    withClass->setObject(ns::String::make(kSecClassGenericPassword), kSecClass);
    Query update;
    if (!readQuery(*withClass, update) || (!update.service && !update.account && !update.data))
        return errSecParam;
    Database holder;
    sqlite3* db = open(s, holder);
    if (!db)
        return errSecIO;
    Transaction transaction(db);
    if (!transaction.isOpen())
        return errSecIO;
    std::string sql = "UPDATE items SET modified = ?3";
    if (update.service)
        sql += ", service = ?4";
    if (update.account)
        sql += ", account = ?5";
    if (update.data)
        sql += ", data = ?6";
    auto statement = prepare(db, sql + whereClause(query));
    if (!statement)
        return errSecIO;
    bindQuery(statement.get(), query);
    sqlite3_bind_double(statement.get(), 3, ns::Clock::current().now());
    if (update.service)
        sqlite3_bind_text(statement.get(), 4, update.service->data(),
                          static_cast<int>(update.service->size()), SQLITE_TRANSIENT);
    if (update.account)
        sqlite3_bind_text(statement.get(), 5, update.account->data(),
                          static_cast<int>(update.account->size()), SQLITE_TRANSIENT);
    if (update.data)
        bindBytes(statement.get(), 6, update.data->data(), update.data->length());
    int step = sqlite3_step(statement.get());
    if (step == SQLITE_CONSTRAINT)
        return errSecDuplicateItem;
    if (step != SQLITE_DONE)
        return errSecIO;
    if (sqlite3_changes(db) == 0)
        return errSecItemNotFound;
    return transaction.commit() ? errSecSuccess : errSecIO;
}

OSStatus itemDelete(const ns::Dictionary& dictionary)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    OSStatus status;
    if (forced(s, status))
        return status;
    Query query;
    if (!readQuery(dictionary, query))
        return errSecParam;
    Database holder;
    sqlite3* db = open(s, holder);
    if (!db)
        return errSecIO;
    Transaction transaction(db);
    if (!transaction.isOpen())
        return errSecIO;
    auto statement = prepare(db, "DELETE FROM items" + whereClause(query));
    if (!statement)
        return errSecIO;
    bindQuery(statement.get(), query);
    if (sqlite3_step(statement.get()) != SQLITE_DONE)
        return errSecIO;
    if (sqlite3_changes(db) == 0)
        return errSecItemNotFound;
    return transaction.commit() ? errSecSuccess : errSecIO;
}

} // namespace sec
