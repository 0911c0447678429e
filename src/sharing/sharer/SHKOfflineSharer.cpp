#include "sharing/sharer/SHKOfflineSharer.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKItem.h"
#include "sharing/core/SHKSharerClass.h"
#include "sharing/sharer/SHKSharer.h"
#include "uikit/Image.h"

#include <exception>
#include <limits>

// MARK: Replaying the queue

// The queue errs towards sending twice rather than never: an entry leaves the list only once its sharer
// reports that the service confirmed it, so a share whose confirmation is lost (a reply that times out, a
// process stopped between the service's answer and the list's write) stays and is sent again by a later
// flush. While a resend is under way its entry is claimed, and no flush of this or another process on the
// same home starts it again; the claim ends with the process, so a share cut off in flight is not lost.
void SHK::flushOfflineQueue()
{
    if (!connected())
        return;
    if (!offlineQueueExists())
        return;
    std::vector<ns::Ref<SHKOfflineSharer>> resends;
    {
        // The entries are read and claimed under the list's lock: a resend that finishes meanwhile has
        // taken its entry out of the list before letting its claim go.
        OfflineQueueLock lock;
        resends = claimOfflineQueueEntries();
    }
    auto helper = currentHelper();
    if (!helper->m_offlineQueue)
        helper->m_offlineQueue = std::make_unique<ns::OperationQueue>();
    for (auto& resend : resends)
        helper->m_offlineQueue->addOperation(resend);
}

std::vector<ns::Ref<SHKOfflineSharer>> SHK::claimOfflineQueueEntries()
{
    auto list = getOfflineQueueList();
    if (!list) {
        // Never run, never overwritten: kept for whoever can make sense of it.
        if (ns::FileManager::fileExistsAtPath(offlineQueueListPath()))
            setAsideOfflineQueueList();
        return {};
    }

    auto kept = ns::MutableArray::make();
    std::vector<ns::Id> setAside;
    std::vector<ns::Ref<SHKOfflineSharer>> resends;
    for (const ns::Id& entry : *list) {
        auto dictionary = ns::cast<ns::Dictionary>(entry);
        auto itemDictionary = dictionary ? dictionary->objectAs<ns::Dictionary>("item") : nullptr;
        auto sharerId = dictionary ? dictionary->stringForKey("sharer") : std::nullopt;
        auto uid = dictionary ? dictionary->stringForKey("uid") : std::nullopt;
        auto item = itemDictionary ? SHKItem::itemFromDictionary(*itemDictionary) : nullptr;
        // Only a registered sharer is made, and the uid only ever names a file inside the queue's folder.
        if (!item || !sharerId || !uid || !isOfflineQueueUid(*uid) || !SHKSharerClass::named(*sharerId)) {
            setAside.push_back(entry);
            continue;
        }
        kept->addObject(entry);
        // Under way already, here or in another process.
        if (!claimOfflineShare(*uid))
            continue;
        resends.push_back(SHKOfflineSharer::create(std::move(item), *sharerId, *uid));
    }
    if (!setAside.empty() && setAsideOfflineQueueEntries(setAside))
        saveOfflineQueueList(kept);
    return resends;
}

// MARK: The operation

ns::Ref<SHKOfflineSharer> SHKOfflineSharer::create(ns::Ref<SHKItem> item, std::string sharerId,
                                                   std::string uid)
{
    return ns::Factory<SHKOfflineSharer>::make(std::move(item), std::move(sharerId), std::move(uid));
}

SHKOfflineSharer::SHKOfflineSharer(ns::Ref<SHKItem> item, std::string sharerId, std::string uid)
    : m_item(std::move(item)), m_sharerId(std::move(sharerId)), m_uid(std::move(uid))
{
}

bool SHKOfflineSharer::shouldRun() const
{
    return !isCancelled() && !isFinished() && !m_readyToFinish;
}

void SHKOfflineSharer::main()
{
    auto self = this->self<SHKOfflineSharer>();
    if (!shouldRun()) {
        // Cancelled before it ran: the entry may be replayed by a later flush.
        ns::performOnMainThread([self] { self->end(); }, false);
        return;
    }
    {
        std::lock_guard lock(m_runLoopMutex);
        m_runLoopThread = ns::RunLoop::current().handle();
    }
    ns::performOnMainThread([self] { self->share(); }, true);
    while (shouldRun())
        ns::RunLoop::current().runOnce(std::numeric_limits<ns::TimeInterval>::infinity());
}

std::string SHKOfflineSharer::dataPath() const
{
    std::string path = SHK::offlineQueuePath();
    path += "/";
    path += m_uid;
    return path;
}

void SHKOfflineSharer::share()
{
    try {
        m_sharer = SHKSharer::sharerWithId(m_sharerId);
        if (!m_sharer || !m_item) {
            end();
            return;
        }
        m_sharer->setItem(m_item);
        m_sharer->setQuiet(true);
        m_sharer->setShareDelegate(self<SHKOfflineSharer>());
        // No login is asked for in the background; the entry waits for a flush after one.
        if (!m_sharer->isAuthorized()) {
            end();
            return;
        }
        // The bytes come back from the data file, which stays until the resend has finished.
        if (m_item->shareType() == SHKShareTypeImage) {
            if (auto data = ns::FileManager::contentsAtPath(dataPath()))
                if (auto image = ui::Image::imageWithData(data))
                    m_item->setImage(image);
        } else if (m_item->shareType() == SHKShareTypeFile) {
            if (auto data = ns::FileManager::contentsAtPath(dataPath()))
                m_item->setData(data);
        }
        // Offline again since the flush: the entry stays where it is, rather than being queued twice.
        if (m_sharer->sharerClass().shareRequiresInternetConnection() && !SHK::connected()) {
            end();
            return;
        }
        auto sharer = m_sharer;
        sharer->tryToSend();
        // No send under way (it did not start, or has reported already): no report is coming.
        if (!sharer->isKeptAlive())
            end();
    } catch (const std::exception& error) {
        ns::log("ShareCore: an offline share could not be sent again: %@", std::string(error.what()));
        end();
    }
}

void SHKOfflineSharer::sharerFinishedSending(SHKSharer& sharer)
{
    m_sent = SHK::removeFromOfflineQueue(m_uid);
    sharerDidReport(sharer);
}

void SHKOfflineSharer::sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>&, bool)
{
    sharerDidReport(sharer);
}

void SHKOfflineSharer::sharerCancelledSending(SHKSharer& sharer)
{
    sharerDidReport(sharer);
}

void SHKOfflineSharer::sharerDidReport(SHKSharer& sharer)
{
    sharer.setShareDelegate(nullptr);
    end();
}

void SHKOfflineSharer::end()
{
    if (m_ended)
        return;
    m_ended = true;
    // The sharer and this operation would otherwise hold each other.
    if (m_sharer && m_sharer->shareDelegate().get() == this)
        m_sharer->setShareDelegate(nullptr);
    SHK::releaseOfflineShare(m_uid);
    finish();
}

void SHKOfflineSharer::finish()
{
    m_readyToFinish = true;
    std::lock_guard lock(m_runLoopMutex);
    // Wakes the waiting loop, which then sees that it may stop; a loop that is gone is not touched.
    m_runLoopThread.post([] {});
}
