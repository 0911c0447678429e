#include "sharing/support/TestSharer.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/RunLoop.h"
#include "sharing/core/SHK.h"
#include "sharing/ui/SHKFormController.h"

TestSharer::Answers& TestSharer::answers()
{
    static Answers answers;
    return answers;
}

std::vector<ns::Ref<SHKItem>>& TestSharer::sentItems()
{
    static std::vector<ns::Ref<SHKItem>> items;
    return items;
}

void TestSharer::registerClass(Answers answers)
{
    TestSharer::answers() = std::move(answers);
    sentItems().clear();
    SHKSharerClass::registerSharer<TestSharer, TestSharerClass>("TestSharer");
}

void TestSharer::registerClass()
{
    registerClass(Answers());
}

void TestSharer::unregisterClass()
{
    rt::ClassRegistry::shared().unregisterClass("TestSharer");
}

bool TestSharer::send()
{
    ++m_sendCount;
    if (auto item = this->item(); item) {
        auto copy = SHKItem::itemFromDictionary(*item->dictionaryRepresentation());
        // The dictionary form keeps no file bytes; the copy does.
        copy->setData(item->data());
        sentItems().push_back(copy);
    } else {
        sentItems().push_back(nullptr);
    }
    Outcome outcome = answers().outcome;
    if (outcome == Outcome::Refuse)
        return false;
    sendDidStart();
    if (outcome == Outcome::Start)
        return true;
    if (answers().reportLater) {
        // As a request would: it holds nothing but its answer, so only the sharer's own hold keeps it.
        ns::RunLoop::main().post([weak = weakSelf<TestSharer>(), outcome] {
            if (auto sharer = weak.lock())
                sharer->report(outcome);
        });
        return true;
    }
    report(outcome);
    return true;
}

void TestSharer::report(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Finish:
        sendDidFinish();
        break;
    case Outcome::Fail:
        sendDidFailWithError(SHK::errorWithDescription("Test failure"));
        break;
    case Outcome::Relogin:
        shouldReloginWithPendingAction(answers().reloginAction);
        break;
    default:
        break;
    }
}

void TestSharer::show()
{
    ++m_showCount;
    SHKSharer::show();
}

void TestSharer::authorizationFormValidate(SHKFormController& form)
{
    form.saveForm();
}
