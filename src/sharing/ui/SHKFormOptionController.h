#pragma once

#include "uikit/AlertView.h"
#include "uikit/TableViewController.h"

#include <optional>
#include <string>

class SHKFormFieldSettings;
class SHKFormOptionController;

namespace ns {
class Array;
class Error;
class MutableDictionary;
} // namespace ns

// Who hears the result of an option list: the picked text, or nothing when the user cancelled.
class SHKFormOptionControllerClient
{
public:
    virtual ~SHKFormOptionControllerClient() = default;
    virtual void SHKFormOptionControllerPickedOption(SHKFormOptionController& optionController,
                                                     const std::optional<std::string>& pickedOption) = 0;
};

// Fetches the choices of a list that is not fixed: it starts when asked and later hands the options (or an
// error) to the option controller, through optionsEnumerated or optionsEnumerationFailedWithError.
class SHKFormOptionControllerOptionProvider
{
public:
    virtual ~SHKFormOptionControllerOptionProvider() = default;
    virtual void SHKFormOptionControllerEnumerateOptions(SHKFormOptionController& optionController) = 0;
    virtual void SHKFormOptionControllerCancelEnumerateOptions(SHKFormOptionController& optionController) = 0;
};

// The screen behind a form's option row: a plain table of the row's choices, pushed on the form's
// navigation controller. One tap picks an option, or, when the row allows several, taps toggle options
// until Done. A list that is not fixed is fetched from its provider while the progress overlay shows
// "Loading...". The result goes to the client (the form), which pops the list.
class SHKFormOptionController : public ui::TableViewController, public ui::AlertViewDelegate
{
public:
    static ns::Ref<SHKFormOptionController> create(ns::Ref<SHKFormFieldSettings> settings,
                                                   const ns::Ref<SHKFormOptionControllerClient>& client);

    const ns::Ref<SHKFormFieldSettings>& settings() const { return m_settings; }
    void setSettings(ns::Ref<SHKFormFieldSettings> settings) { m_settings = std::move(settings); }
    ns::Ref<SHKFormOptionControllerClient> client() const { return m_client.lock(); }
    void setClient(const ns::Ref<SHKFormOptionControllerClient>& client) { m_client = client; }

    // The provider's answers.
    void optionsEnumerated(const ns::Ref<ns::Array>& options);
    void optionsEnumerationFailedWithError(const ns::Ref<ns::Error>& error);
    // The bar buttons' actions.
    void cancel(const ns::Id& sender);
    void done(const ns::Id& sender);
    // Checks the description (a broken one is a programming error), fetches the options when they are
    // neither fixed nor asked for yet, and shows the list.
    void updateFromOptions();

    void viewDidLoad() override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }

    long numberOfSectionsInTableView(ui::TableView&) override { return 1; }
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                              const ns::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ns::IndexPath& indexPath) override;
    void alertViewDidDismissWithButtonIndex(ui::AlertView& alertView, long buttonIndex) override;

    // Whether the provider is fetching now, and whether it has delivered.
    bool isEnumerating() const { return !m_provider.expired(); }
    bool didReceiveOptions() const { return m_didReceiveOptions; }

    std::string className() const override { return "SHKFormOptionController"; }

protected:
    SHKFormOptionController(ns::Ref<SHKFormFieldSettings> settings,
                            const ns::Ref<SHKFormOptionControllerClient>& client);
    friend ns::Factory<SHKFormOptionController>;

private:
    ns::Ref<ns::MutableDictionary> info() const;
    ns::Ref<ns::Array> items() const;
    std::string curIndexes() const;
    bool allowsMultiple() const;
    void putDoneButton();
    // A fetched list that came back empty: the same as a failure, without an error.
    void showNoOptions();

    ns::Ref<SHKFormFieldSettings> m_settings;
    ns::Weak<SHKFormOptionControllerClient> m_client;
    ns::Weak<SHKFormOptionControllerOptionProvider> m_provider;
    bool m_didReceiveOptions = false;
};
