#pragma once

#include "uikit/Action.h"
#include "uikit/Toolbar.h"
#include "uikit/View.h"

#include <optional>
#include <string>
#include <vector>

namespace ui {

class Button;
class SearchBar;
class SearchDisplayController;
class TextField;

class SearchBarDelegate
{
public:
    virtual ~SearchBarDelegate() = default;
    virtual bool searchBarShouldBeginEditing(SearchBar&) { return true; }
    virtual void searchBarTextDidBeginEditing(SearchBar&) {}
    virtual bool searchBarShouldEndEditing(SearchBar&) { return true; }
    virtual void searchBarTextDidEndEditing(SearchBar&) {}
    // searchBar:textDidChange:
    virtual void searchBar(SearchBar&, const std::string& /*searchText*/) {}
    virtual void searchBarSearchButtonClicked(SearchBar&) {}
    virtual void searchBarCancelButtonClicked(SearchBar&) {}
    // searchBar:selectedScopeButtonIndexDidChange:
    virtual void searchBarSelectedScopeButtonIndexDidChange(SearchBar&, long) {}
};

// A search field in a bar, with an optional Cancel button; typing and the search key reach the delegate.
class SearchBar : public View
{
public:
    static ns::Ref<SearchBar> create(); // 320 by 44
    static ns::Ref<SearchBar> create(cg::Rect frame);

    std::string text() const;
    void setText(std::string text);
    const std::optional<std::string>& placeholder() const { return m_placeholder; }
    void setPlaceholder(std::optional<std::string> placeholder);
    bool showsCancelButton() const { return m_showsCancelButton; }
    void setShowsCancelButton(bool shows, bool animated = false);
    BarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(BarStyle style) { m_barStyle = style; }
    const ns::Ref<Color>& tintColor() const { return m_tintColor; }
    void setTintColor(ns::Ref<Color> color) { m_tintColor = std::move(color); }
    const std::vector<std::string>& scopeButtonTitles() const { return m_scopeTitles; }
    void setScopeButtonTitles(std::vector<std::string> titles) { m_scopeTitles = std::move(titles); }
    long selectedScopeButtonIndex() const { return m_selectedScope; }
    void setSelectedScopeButtonIndex(long index);
    // The field typed into.
    const ns::Ref<TextField>& textField() const { return m_field; }

    ns::Ref<SearchBarDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<SearchBarDelegate>& delegate) { m_delegate = delegate; }

    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool isFirstResponder() const;

    cg::Size sizeThatFits(cg::Size) const override;
    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UISearchBar"; }

    // The search display controller that watches the bar.
    void setDisplayController(SearchDisplayController* controller) { m_displayController = controller; }

protected:
    explicit SearchBar(cg::Rect frame);
    friend ns::Factory<SearchBar>;

private:
    class FieldWatcher;
    friend class FieldWatcher;
    void textChanged();
    void didBeginEditing();
    void didEndEditing();
    void searchClicked();
    void cancelClicked();

    ns::Ref<TextField> m_field;
    ns::Ref<Button> m_cancelButton;
    ns::Ref<FieldWatcher> m_watcher;
    std::optional<std::string> m_placeholder;
    bool m_showsCancelButton = false;
    BarStyle m_barStyle = BarStyle::Default;
    ns::Ref<Color> m_tintColor;
    std::vector<std::string> m_scopeTitles;
    long m_selectedScope = 0;
    ns::Weak<SearchBarDelegate> m_delegate;
    SearchDisplayController* m_displayController = nullptr; // cleared by the controller when it goes
};

} // namespace ui
