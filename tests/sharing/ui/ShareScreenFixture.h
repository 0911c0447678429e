#pragma once

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "foundation/UserDefaults.h"
#include "sharing/support/SharerFixture.h"

#include <map>
#include <string>
#include <vector>

// Sharers for the share screens' tests, registered under names of their own: a title, whether they work
// on this device and which types they share. Sharing one only records it.
struct FakeAnswers
{
    std::string title;
    bool canShare = true;
    std::vector<int> types{SHKShareTypeURL};
};

struct ShareLog
{
    // "share <name>" and "logout <name>", in order.
    std::vector<std::string> events;
    std::vector<ns::Ref<SHKItem>> sharedItems;
};

inline ShareLog& shareLog()
{
    static ShareLog log;
    return log;
}

class FakeSharer : public SHKSharer
{
public:
    static ns::Ref<FakeSharer> create(std::string name)
    {
        auto sharer = setUp(ns::Factory<FakeSharer>::make());
        sharer->m_name = std::move(name);
        return sharer;
    }
    void share() override
    {
        shareLog().events.push_back("share " + m_name);
        shareLog().sharedItems.push_back(item());
    }
    std::string className() const override { return m_name; }

protected:
    FakeSharer() = default;
    friend ns::Factory<FakeSharer>;

private:
    std::string m_name;
};

class FakeSharerClass : public SHKSharerClass
{
public:
    explicit FakeSharerClass(FakeAnswers answers) : m_answers(std::move(answers)) {}
    std::string sharerTitle() const override { return m_answers.title; }
    bool canShare() const override { return m_answers.canShare; }
    bool canShareURL() const override { return has(SHKShareTypeURL); }
    bool canShareText() const override { return has(SHKShareTypeText); }
    bool canShareImage() const override { return has(SHKShareTypeImage); }
    bool canShareFile() const override { return has(SHKShareTypeFile); }
    void logout() const override { shareLog().events.push_back("logout " + className()); }

private:
    bool has(int type) const
    {
        for (int t : m_answers.types)
            if (t == type)
                return true;
        return false;
    }
    FakeAnswers m_answers;
};

// A sharer fixture whose sharer list and favourites the test writes, with fake sharers registered by name.
class ShareScreenFixture : public SharerFixture
{
protected:
    ShareScreenFixture() { shareLog() = ShareLog(); }
    ~ShareScreenFixture() override
    {
        for (const auto& name : m_registered)
            rt::ClassRegistry::shared().unregisterClass(name);
        shareLog() = ShareLog();
        ns::Bundle::setMainPath(VELMO_RESOURCES);
    }

    void registerFake(const std::string& name, FakeAnswers answers)
    {
        auto meta = std::make_shared<FakeSharerClass>(std::move(answers));
        meta->setClassName(name);
        rt::ClassRegistry::shared().registerClass(
            name, [name] { return std::static_pointer_cast<ns::Object>(FakeSharer::create(name)); },
            std::move(meta));
        m_registered.push_back(name);
    }

    static ns::Ref<ns::Array> names(const std::vector<std::string>& list)
    {
        std::vector<ns::Id> objects;
        for (const auto& name : list)
            objects.push_back(ns::String::make(name));
        return ns::Array::make(std::move(objects));
    }

    // The sharer list, as the main bundle's resource.
    void useSharerList(const std::vector<std::string>& actions, const std::vector<std::string>& services)
    {
        auto dictionary = ns::MutableDictionary::make();
        dictionary->setObject(names(actions), "actions");
        dictionary->setObject(names(services), "services");
        ASSERT_TRUE(ns::PropertyList::writePropertyList(dictionary, home.file("SHKSharers.plist")));
        ns::Bundle::setMainPath(home.path());
        SHKForgetLocalizedTextBundle();
        SHK::reset();
    }

    void setFavorites(const std::vector<std::string>& list, SHKShareType type)
    {
        SHK::setFavorites(names(list), type);
    }

    void setExcluded(const std::vector<std::string>& list)
    {
        ns::UserDefaults::standard()->setObject(names(list), "SHKExcluded");
    }

    std::vector<std::string> storedExcluded() const
    {
        std::vector<std::string> out;
        if (auto stored = ns::cast<ns::Array>(ns::UserDefaults::standard()->objectForKey("SHKExcluded")))
            for (const ns::Id& entry : *stored)
                out.push_back(ns::describe(entry));
        return out;
    }

private:
    std::vector<std::string> m_registered;
};
