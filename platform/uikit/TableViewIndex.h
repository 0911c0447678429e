#pragma once

#include "uikit/View.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {

// The section index down a table's right edge: one title under the other, and a touch on a title (or a
// finger sliding over them) asks the table to show that title's section. The table places it below its
// header view and narrows its cells' content by its width.
class TableViewIndex : public View
{
public:
    static ns::Ref<TableViewIndex> create() { return ns::Factory<TableViewIndex>::make(); }

    // The width every table gives its index.
    static constexpr cg::Float Width = 24;

    const std::vector<std::string>& titles() const { return m_titles; }
    void setTitles(std::vector<std::string> titles);
    // Called with the index of the title under the finger.
    void setSelectAction(std::function<void(std::size_t)> action) { m_selectAction = std::move(action); }
    // Where title `index` is drawn, in the index's own coordinates.
    cg::Rect rectForTitleAtIndex(std::size_t index) const;

    void drawRect(cg::Context& context, cg::Rect rect) override;
    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    std::string className() const override { return "UITableViewIndex"; }

protected:
    TableViewIndex();
    friend ns::Factory<TableViewIndex>;

private:
    cg::Float step() const;
    void select(const TouchSet& touches);

    std::vector<std::string> m_titles;
    std::function<void(std::size_t)> m_selectAction;
    std::size_t m_lastSelected = SIZE_MAX;
};

} // namespace ui
