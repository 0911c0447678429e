#include "system/ComposerView.h"

#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Label.h"
#include "uikit/NavigationBar.h"
#include "uikit/NavigationItem.h"
#include "uikit/Screen.h"
#include "uikit/TextView.h"

namespace mui {

ns::Ref<ui::View> makeComposerView(const std::string& title,
                                   const std::vector<std::pair<std::string, std::string>>& fields,
                                   const std::string& body, ns::Id target, std::function<void()> onCancel,
                                   std::function<void()> onSend)
{
    cg::Rect frame = ui::Screen::mainScreen()->applicationFrame();
    auto view = ui::View::create(cg::makeRect(0, 0, frame.size.width, frame.size.height));
    view->setBackgroundColor(ui::Color::whiteColor());

    auto bar = ui::NavigationBar::create(cg::makeRect(0, 0, frame.size.width, 44));
    auto item = ui::NavigationItem::create();
    item->setTitle(title);
    item->setLeftBarButtonItem(ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Cancel, target,
                                                                 [onCancel](const ns::Id&) { onCancel(); }));
    item->setRightBarButtonItem(ui::BarButtonItem::withTitle("Send", ui::BarButtonItemStyle::Done, target,
                                                             [onSend](const ns::Id&) { onSend(); }));
    bar->setItems({item});
    view->addSubview(bar);

    cg::Float y = 52;
    for (const auto& [name, value] : fields) {
        auto label = ui::Label::create();
        label->setFrame(cg::makeRect(10, y, frame.size.width - 20, 22));
        label->setFont(ui::Font::systemFontOfSize(15));
        label->setText(name + " " + value);
        view->addSubview(label);
        y += 30;
    }
    auto text = ui::TextView::create();
    text->setFrame(cg::makeRect(10, y + 4, frame.size.width - 20, frame.size.height - y - 14));
    text->setText(body);
    view->addSubview(text);
    return view;
}

} // namespace mui
